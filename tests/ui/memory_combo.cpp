#include "memory_combo.h"

#include <cstring>

namespace {

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_text_ignoring_case(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}

}  // namespace

int MEMORY_COMBO::find_exact(const char* text) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (same_text_ignoring_case(entries[i].text, text)) return static_cast<int>(i);
  return combo_error;
}

int MEMORY_COMBO::count() { return static_cast<int>(entries.size()); }

void MEMORY_COMBO::delete_first() {
  if (entries.empty()) return;
  entries.erase(entries.begin());
  if (selected == 0)
    selected = combo_error;
  else if (selected > 0)
    --selected;
}

int MEMORY_COMBO::add(const char* text) {
  if (refuse_add) return refuse_add;
  entries.push_back({text, 0});
  return static_cast<int>(entries.size()) - 1;
}

void MEMORY_COMBO::set_item_size(int index, int32_t packed) {
  if (index >= 0 && index < count()) entries[static_cast<size_t>(index)].packed = packed;
}

int32_t MEMORY_COMBO::item_size(int index) {
  return index >= 0 && index < count() ? entries[static_cast<size_t>(index)].packed : -1;
}

void MEMORY_COMBO::select(int index) {
  if (index >= 0 && index < count()) {
    selected = index;
    edit_text = entries[static_cast<size_t>(index)].text;
  } else {
    selected = combo_error;
    edit_text.clear();
  }
}

int MEMORY_COMBO::selection() { return selected; }

int MEMORY_COMBO::get_text(char (&text)[combo_text_size]) {
  const size_t n = edit_text.size() < combo_text_size - 1 ? edit_text.size() : combo_text_size - 1;
  std::memcpy(text, edit_text.data(), n);
  text[n] = '\0';
  return static_cast<int>(n);
}

void MEMORY_COMBO::set_text(const char* text) { edit_text = text; }

void MEMORY_COMBO::type_text(const char* text) {
  edit_text = text;
  selected = combo_error;
}
