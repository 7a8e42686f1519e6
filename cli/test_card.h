#pragma once
// The demo's bundled test card, drawn in code: colour bars, a zone plate,
// fine and coarse edges, and grey and colour ramps, as an 8-bit RGB picture.
#include "png_file.h"

constexpr int32_t test_card_width = 960;
constexpr int32_t test_card_height = 540;

// Fills `picture` with the card (8-bit RGB, test_card_width x test_card_height).
void draw_test_card(PNG_PICTURE& picture);
