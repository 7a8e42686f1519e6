#pragma once
// The size preset list behind the size combo box: at most eight sizes in the
// order they were added, at most one selected, kept in the host's settings
// under size_00 to size_07 (packed size; negated for the selected entry; 0
// ends the list).
#include <cstdint>

#include "packed_size.h"
#include "size_combo.h"
#include "size_settings.h"

constexpr int size_list_capacity = 8;

// Makes sure an entry "WxH" exists and, when `select` is set, selects it. An
// entry with the same text keeps its place and its packed size; otherwise the
// size is appended, first evicting entry 0 when the list is full.
void add_size_entry(SIZE_COMBO& combo, int32_t width, int32_t height, bool select);

// Fills the new, empty list from size_00 onwards, stopping at the first 0.
// When size_00 holds nothing the list starts as 640x480, selected.
void load_size_list(SIZE_COMBO& combo, SIZE_SETTINGS& settings);

// Writes the first eight entries to size_00 onwards, the selected one negated.
// Keys past the last entry are left as they were.
void save_size_list(SIZE_COMBO& combo, SIZE_SETTINGS& settings);

// The size the set button applies: the selected entry's packed size, or else
// the typed text, which then joins the list as the selected entry. Returns 1
// with the size written, or 0 (nothing written) when there is no combo box or
// no place for the result, the selected entry's size cannot be read, the text
// holds no two numbers, or the width or height is 0.
int read_selected_size(SIZE_COMBO* combo, FRAME_SIZE* size);
