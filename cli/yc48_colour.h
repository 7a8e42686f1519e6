#pragma once
// Conversions between the host's YC48 colour space (luma 0 .. 4096, chroma
// -2048 .. 2048, int16) and the formats the tool reads and writes.
//
// Limited-range Y'CbCr uses the host's own integer formulas for 8-bit
// samples. A deeper sample (10, 12 or 16 bits) is read as an 8-bit one with
// more fraction bits, so an 8-bit value shifted up gives exactly the 8-bit
// result. The host has no formula for the way back from deeper samples:
// there the inverse takes the middle of the range of samples that the
// forward formula maps to the YC48 value and rounds it to nearest. Up to 12
// bits a YC48 step is finer than a sample step, so every sample comes back
// exactly; at 16 bits a round trip stays within half a YC48 step.
//
// Full-range Y'CbCr (codes 0 .. max = 2^depth - 1 for the whole scale) maps
// onto YC48 linearly: luma 0 .. max to 0 .. 4096 (level_to_yc48); chroma
// with its neutral code 2^(depth - 1) to 0 and a code step to 4096 / max, as
// JPEG does (8 bits: 0 to -2056, 255 to 2040). Rounded to nearest; exact both
// ways up to 12 bits, like the limited range.
//
// Chroma may arrive as a weighted sum of neighbouring samples (up- or
// downsampling): `sum` is the sum of the samples times integer weights that
// add up to 1 << weight_bits, and the formula is applied to that mean without
// rounding it first.
//
// RGB (full range) uses the BT.601 weights at the YC48 scale: white is
// y 4096, full blue gives cb +2048 and full red cr +2048; results round to
// nearest, halves away from zero, and the inverse clamps to the output range.
#include <cstdint>

#include "yc48_image.h"

// n / d rounded to nearest, halves away from zero (d > 0).
int64_t divide_rounded(int64_t n, int64_t d);

int16_t luma_to_yc48(int32_t sample, int depth);
int16_t chroma_to_yc48(int64_t sum, int weight_bits, int depth);
uint16_t luma_from_yc48(int32_t y, int depth);
uint16_t chroma_from_yc48(int64_t sum, int weight_bits, int depth);
int16_t full_chroma_to_yc48(int64_t sum, int weight_bits, int depth);
uint16_t full_chroma_from_yc48(int64_t sum, int weight_bits, int depth);

// r, g, b in 0 .. max (255 or 65535).
YC48_PIXEL rgb_to_yc48(int32_t r, int32_t g, int32_t b, int32_t max);
void rgb_from_yc48(const YC48_PIXEL& p, int32_t max, uint16_t rgb[3]);

// A level in 0 .. max on the luma scale (grey, alpha, full-range luma):
// 0 -> 0, max -> 4096.
int16_t level_to_yc48(int32_t level, int32_t max);
uint16_t level_from_yc48(int32_t y, int32_t max);
