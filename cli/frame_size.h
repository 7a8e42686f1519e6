#pragma once
// Size texts as the plug-in's size field reads them: every character that is
// not a decimal digit separates numbers, and the first two numbers are the
// width and the height ("1280x720", "1280*720", "1280 by 720", "0640x0480").
#include <cstdint>
#include <string>
#include <string_view>

// The largest width or height the tool hands to the engine: the most a packed
// size carries per axis. Larger frames are refused before any memory is taken.
constexpr int32_t frame_side_limit = 65535;

// Reads the first two numbers of `text`. A run of digits too large for an
// int32_t reads as INT32_MAX (it saturates, never wraps). False when the text
// holds fewer than two numbers.
bool read_size_numbers(std::string_view text, int32_t& width, int32_t& height);

// Empty when w x h is a size the engine takes (1 .. frame_side_limit on each
// axis); otherwise what is wrong with it, as a phrase for an error line.
std::string check_frame_size(int64_t width, int64_t height);
