#include "png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

#include "frame_size.h"
#include "tool_error.h"

namespace {

// libpng reports errors by calling this and expects it not to return: the
// message is kept and control goes back to the setjmp of the caller. No C++
// object is created between that setjmp and the libpng calls it guards.
struct PNG_TALK {
  char message[256];
};

[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
  auto* talk = static_cast<PNG_TALK*>(png_get_error_ptr(png));
  std::snprintf(talk->message, sizeof talk->message, "%s", message);
  png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

int channels_of(int colour_type) {
  switch (colour_type) {
    case PNG_COLOR_TYPE_GRAY:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 0;
  }
}

int colour_type_of(int channels) {
  const int types[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                       PNG_COLOR_TYPE_RGB_ALPHA};
  return types[channels - 1];
}

// What reading fills in; it lives in the caller, so a longjmp out of libpng
// skips no destructor.
struct PNG_READ {
  std::vector<uint8_t> bytes;
  std::vector<png_bytep> rows;
  std::string refused;  // set when the size is refused (nothing else is read)
};

// The libpng part of reading, after the 8 signature bytes. Returns false with
// talk.message set when libpng failed.
bool read_png_rows(std::FILE* file, PNG_PICTURE& picture, PNG_READ& read, PNG_TALK& talk) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &talk, on_png_error, on_png_warning);
  if (!png) return std::snprintf(talk.message, sizeof talk.message, "out of memory"), false;
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  if (!info) png_error(png, "out of memory");
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  png_init_io(png, file);
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  read.refused = check_frame_size(width, height);
  if (!read.refused.empty()) {
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
  }
  const int colour_type = png_get_color_type(png, info);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
    png_set_expand_gray_1_2_4_to_8(png);
  if (colour_type == PNG_COLOR_TYPE_PALETTE && png_get_valid(png, info, PNG_INFO_tRNS))
    png_set_tRNS_to_alpha(png);
  if (png_get_bit_depth(png, info) == 16) png_set_swap(png);  // native little-endian uint16
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  picture.width = static_cast<int32_t>(width);
  picture.height = static_cast<int32_t>(height);
  picture.channels = channels_of(png_get_color_type(png, info));
  picture.depth = png_get_bit_depth(png, info);
  if (picture.channels == 0 || (picture.depth != 8 && picture.depth != 16))
    png_error(png, "unsupported colour type");
  const size_t row_samples = static_cast<size_t>(width) * picture.channels;
  read.bytes.resize(row_samples * height * (picture.depth / 8));
  read.rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y)
    read.rows[y] = read.bytes.data() + y * row_samples * (picture.depth / 8);
  png_read_image(png, read.rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

void read_png(INPUT_FILE& in, PNG_PICTURE& picture) {
  png_byte signature[8] = {};
  const size_t got = read_some(in, signature, sizeof signature);
  if (got < sizeof signature || png_sig_cmp(signature, 0, sizeof signature) != 0)
    fail(in.name, "not a PNG file");
  PNG_TALK talk{};
  PNG_READ read;
  if (!read_png_rows(in.file, picture, read, talk)) {
    const std::string message = talk.message;
    if (message.find("Read Error") != std::string::npos || message.find("EOF") != std::string::npos)
      fail(in.name, "truncated PNG file");
    fail(in.name, "damaged PNG file (" + message + ")");
  }
  if (!read.refused.empty()) fail(in.name, read.refused);
  const std::vector<uint8_t>& bytes = read.bytes;
  picture.samples.resize(bytes.size() / (picture.depth / 8));
  if (picture.depth == 16)
    std::memcpy(picture.samples.data(), bytes.data(), bytes.size());
  else
    picture.samples.assign(bytes.begin(), bytes.end());
}

namespace {

bool write_png_rows(std::FILE* file, const PNG_PICTURE& picture, const std::vector<png_bytep>& rows,
                    PNG_TALK& talk) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &talk, on_png_error, on_png_warning);
  if (!png) return std::snprintf(talk.message, sizeof talk.message, "out of memory"), false;
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  if (!info) png_error(png, "out of memory");
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), picture.depth,
               colour_type_of(picture.channels), PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (picture.depth == 16) png_set_swap(png);
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

void write_png(OUTPUT_FILE& out, const PNG_PICTURE& picture) {
  const size_t row_samples = static_cast<size_t>(picture.width) * picture.channels;
  std::vector<uint8_t> bytes;
  std::vector<png_bytep> rows(picture.height);
  if (picture.depth == 16) {
    bytes.resize(picture.samples.size() * 2);
    std::memcpy(bytes.data(), picture.samples.data(), bytes.size());
  } else {
    bytes.assign(picture.samples.begin(), picture.samples.end());
  }
  for (int32_t y = 0; y < picture.height; ++y)
    rows[y] = bytes.data() + y * row_samples * (picture.depth / 8);
  PNG_TALK talk{};
  if (!write_png_rows(out.file, picture, rows, talk))
    fail(out.name, std::string("cannot write the PNG: ") + talk.message);
}
