#pragma once
// Sizes on the command line: two positive whole numbers joined by "x" or "*"
// ("1280x720", "1280*720"), and the sizes the engine takes. Stricter than the
// plug-in's size field, which reads any two digit runs: a script's typo must
// not quietly give another size.
#include <cstdint>
#include <string>
#include <string_view>

// The largest width or height the tool hands to the engine: the most a packed
// size carries per axis. Larger frames are refused before any memory is taken.
constexpr int32_t frame_side_limit = 65535;

// Reads "WxH" or "W*H", where W and H are runs of ASCII digits and nothing
// else comes before, between or after them. Empty when the text is such a
// size and the engine takes it (check_frame_size); otherwise what is wrong, as
// a phrase for an error line that names the accepted forms. A digit run too
// large for int32_t reads as INT32_MAX, so it is refused as too large.
std::string read_size_option(std::string_view text, int32_t& width, int32_t& height);

// Empty when w x h is a size the engine takes (1 .. frame_side_limit on each
// axis); otherwise what is wrong with it, as a phrase for an error line.
std::string check_frame_size(int64_t width, int64_t height);
