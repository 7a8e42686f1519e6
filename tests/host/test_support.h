#pragma once
// Shared pieces of the host tests, which run under Wine.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pixel.h"

// A path of the build tree (a Unix path under Wine) as the Windows side names it.
std::string dos_path(const char* unix_path);

// Runs a program to its end; returns its exit code (-1 when it cannot start)
// and what it printed to stdout and stderr.
int run_program(const std::string& command_line, std::string& output);

// A w x h frame: smooth waves in all three samples plus noise, some values
// past the nominal ranges. The same seed gives the same frame.
std::vector<PIXEL_YC> test_image(int w, int h, uint32_t seed);

// The engine's result for the same frame, on one thread, in a buffer that just
// holds frame and target: the image after the resize, rows packed.
std::vector<PIXEL_YC> engine_resize(const std::vector<PIXEL_YC>& image, int w, int h, int target_w,
                                    int target_h, bool vertical_first);

bool write_pixels(const std::string& path, const std::vector<PIXEL_YC>& pixels);
bool read_pixels(const std::string& path, std::vector<PIXEL_YC>& pixels);

// "" when equal; else the first differing pixel (x, y, sample, both values)
// or the sizes.
std::string first_difference(const std::vector<PIXEL_YC>& expected,
                             const std::vector<PIXEL_YC>& actual, int w);
