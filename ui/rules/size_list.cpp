#include "size_list.h"

#include <cstdio>

#include "size_text.h"

namespace {

void format_size_key(char (&key)[combo_text_size], int index) {
  std::snprintf(key, sizeof key, "size_%02d", index);
}

// The settings keep a selected entry as the negated packed size. The packed
// size may use all 32 bits, so negation and magnitude wrap instead of
// overflowing: the magnitude of INT32_MIN is 0x80000000.
int32_t negate_packed(int32_t value) {
  return static_cast<int32_t>(0u - static_cast<uint32_t>(value));
}

uint32_t packed_magnitude(int32_t value) {
  return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
}

}  // namespace

void add_size_entry(SIZE_COMBO& combo, int32_t width, int32_t height, bool select) {
  char text[combo_text_size];
  format_size_text(text, width, height);

  int index = combo.find_exact(text);
  if (index == combo_error) {
    if (combo.count() >= size_list_capacity) combo.delete_first();
    index = combo.add(text);
    if (index != combo_error && index != combo_no_space)
      combo.set_item_size(index, static_cast<int32_t>(pack_size(width, height)));
  }
  // A refusal for lack of space (-2) still reaches the selection, which then
  // selects nothing.
  if (select && index != combo_error) combo.select(index);
}

void load_size_list(SIZE_COMBO& combo, SIZE_SETTINGS& settings) {
  int i = 0;
  for (; i < size_list_capacity; ++i) {
    char key[combo_text_size];
    format_size_key(key, i);
    const int32_t value = settings.load_int(key, 0);
    if (value == 0) break;
    const uint32_t packed = packed_magnitude(value);
    add_size_entry(combo, packed_width(packed), packed_height(packed), value < 0);
  }
  if (i == 0) add_size_entry(combo, 640, 480, true);
}

void save_size_list(SIZE_COMBO& combo, SIZE_SETTINGS& settings) {
  int n = combo.count();
  if (n > size_list_capacity) n = size_list_capacity;
  const int selected = combo.selection();
  for (int i = 0; i < n; ++i) {
    char key[combo_text_size];
    format_size_key(key, i);
    const int32_t packed = combo.item_size(i);
    settings.save_int(key, i == selected ? negate_packed(packed) : packed);
  }
}

int read_selected_size(SIZE_COMBO* combo, FRAME_SIZE* size) {
  if (!size || !combo) return 0;

  int32_t width = 0;
  int32_t height = 0;
  const int selected = combo->selection();
  if (selected >= 0) {
    const int32_t packed = combo->item_size(selected);
    if (packed == -1) return 0;
    width = packed_width(static_cast<uint32_t>(packed));
    height = packed_height(static_cast<uint32_t>(packed));
  } else {
    if (!parse_size_text(*combo, &width, &height)) return 0;
    add_size_entry(*combo, width, height, true);
  }

  if (width == 0 || height == 0) return 0;
  size->width = width;
  size->height = height;
  return 1;
}
