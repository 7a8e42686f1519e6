#pragma once
// YUV4MPEG2 stream headers: the line "YUV4MPEG2 W<w> H<h> ..." before the
// frames, and the "FRAME ..." line before each frame.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where the chroma samples of a subsampled axis sit: on the even luma
// samples (co-sited) or halfway between two luma samples (centred).
enum class CHROMA_SITING { cosited, centred };

struct Y4M_FORMAT {
  int32_t width = 0;
  int32_t height = 0;
  int planes = 3;   // 3: Y, Cb, Cr; 1: Y alone (mono)
  int shift_x = 1;  // chroma planes are (w + 2^shift_x - 1) >> shift_x wide
  int shift_y = 1;  // (a header without C means 4:2:0)
  CHROMA_SITING siting_x = CHROMA_SITING::centred;
  CHROMA_SITING siting_y = CHROMA_SITING::centred;
  int depth = 8;            // 8, 10, 12 or 16 bits per sample (above 8: 16-bit little-endian words)
  bool full_range = false;  // XCOLORRANGE=FULL: codes 0 .. 2^depth - 1 span the whole scale
};

struct Y4M_HEADER {
  Y4M_FORMAT format;
  std::vector<std::string> fields;  // every field after the signature, in order
};

// Longest header or frame line read before the stream is called damaged.
constexpr size_t y4m_line_limit = 4096;

// Parses a stream header line (without its newline). Empty on success;
// otherwise what is wrong, as a phrase for an error line.
std::string parse_y4m_header(std::string_view line, Y4M_HEADER& header);

// The header line (with its newline) of a stream of width x height frames
// that keeps every other field of `header` as it was. Its W and H fields may
// make it longer than the header it came from: see y4m_line_limit.
std::string format_y4m_header(const Y4M_HEADER& header, int32_t width, int32_t height);

// True when `line` (without its newline) is a frame line: "FRAME" alone or
// followed by a space and parameters.
bool is_y4m_frame_line(std::string_view line);

// Bytes of one frame's planes, and of one sample.
uint64_t y4m_frame_bytes(const Y4M_FORMAT& format);
inline int y4m_sample_bytes(const Y4M_FORMAT& format) { return format.depth > 8 ? 2 : 1; }

// The size of the chroma planes (the luma's for mono).
int32_t chroma_width(const Y4M_FORMAT& format);
int32_t chroma_height(const Y4M_FORMAT& format);
