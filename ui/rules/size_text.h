#pragma once
// The text of a size: "WxH" for display, and the reading of whatever the user
// typed or pasted into the combo box's edit field.
#include <cstdint>

#include "size_combo.h"

constexpr int32_t typed_size_min = 32;
constexpr int32_t typed_size_max = 9999;

// Writes width and height as "%dx%d" (640x480), cut to 63 characters.
void format_size_text(char (&text)[combo_text_size], int32_t width, int32_t height);

// Turns every byte that is not an ASCII digit (0x80 and above included) into a space.
void blank_non_digits(char* text);

// Reads two numbers from a text of digits and spaces as "%d %d" would: spaces,
// a digit run, spaces, a digit run; whatever follows is ignored. A digit run
// too large for int32_t reads as INT32_MAX instead of overflowing. Returns
// false, leaving both outputs alone, when there are fewer than two numbers.
bool read_two_numbers(const char* text, int32_t* first, int32_t* second);

// 32 or less gives 32, 9999 or more gives 9999.
constexpr int32_t clamp_typed_dimension(int32_t value) {
  return value <= typed_size_min   ? typed_size_min
         : value >= typed_size_max ? typed_size_max
                                   : value;
}

// Reads a size from the edit field: blanks everything but digits, reads two
// numbers, clamps each into 32..9999 and writes the clamped size back into the
// field as "WxH". On failure (fewer than two numbers) the field keeps its text
// and width and height are not written.
bool parse_size_text(SIZE_COMBO& combo, int32_t* width, int32_t* height);
