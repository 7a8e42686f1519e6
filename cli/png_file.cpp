#include "png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "frame_size.h"
#include "pages.h"
#include "tool_error.h"

// libpng's state for one picture. libpng reports errors by calling
// on_png_error, which keeps the message and jumps back to the setjmp of
// `guarded`, the only caller of libpng's functions; nothing between that
// setjmp and libpng has a destructor to skip.
struct PNG_CODEC {
  png_structp png = nullptr;
  png_infop info = nullptr;
  bool reading = true;
  char message[256] = {};
  // Reading.
  size_t row_bytes = 0;
  int depth = 8;
  int32_t next_row = 0;
  bool interlaced = false;
  std::vector<uint8_t> row;
  PAGE_SPAN image;  // an interlaced picture's seven passes, gathered before its rows are handed out
  std::vector<std::string> warnings;  // libpng's about the colour chunks

  ~PNG_CODEC() {
    if (reading)
      png_destroy_read_struct(&png, &info, nullptr);
    else
      png_destroy_write_struct(&png, &info);
    unmap_pages(image);
  }
};

namespace {

[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
  auto* codec = static_cast<PNG_CODEC*>(png_get_error_ptr(png));
  std::snprintf(codec->message, sizeof codec->message, "%s", message);
  png_longjmp(png, 1);
}

// The colour chunks the tool keeps, with libpng's flag for each.
struct COLOUR_CHUNK {
  const char* name;
  png_uint_32 flag;
};
constexpr COLOUR_CHUNK colour_chunks[] = {{"gAMA", PNG_INFO_gAMA},
                                          {"cHRM", PNG_INFO_cHRM},
                                          {"sRGB", PNG_INFO_sRGB},
                                          {"iCCP", PNG_INFO_iCCP}};

// libpng drops a colour chunk it refuses (larger than its limit on a chunk,
// damaged) with a warning: kept, to be told if the chunk is then missing.
void on_png_warning(png_structp png, png_const_charp message) {
  auto* codec = static_cast<PNG_CODEC*>(png_get_error_ptr(png));
  const std::string text = message;
  for (const COLOUR_CHUNK& chunk : colour_chunks)
    if (codec->reading && text.rfind(chunk.name, 0) == 0) codec->warnings.push_back(text);
}

// One line on standard error for each colour chunk libpng warned about and
// left out, with its reason.
void tell_dropped_chunks(const INPUT_FILE& in, const PNG_CODEC& c) {
  for (const COLOUR_CHUNK& chunk : colour_chunks) {
    if (png_get_valid(c.png, c.info, chunk.flag)) continue;
    for (const std::string& warning : c.warnings) {
      if (warning.rfind(chunk.name, 0) != 0) continue;
      const std::string limit = warning.find("limit") == std::string::npos
                                    ? ""
                                    : " (the PNG reader takes at most " +
                                          std::to_string(png_get_chunk_malloc_max(c.png)) +
                                          " bytes of a chunk)";
      std::fprintf(stderr, "morvane: %s: its %s chunk is left out of the output: %s%s\n",
                   in.name.c_str(), chunk.name, warning.c_str(), limit.c_str());
      break;
    }
  }
}

// Runs `call` (libpng calls only); false, with the message kept, when
// libpng failed.
template <class CALL>
bool guarded(PNG_CODEC& codec, CALL call) {
  if (setjmp(png_jmpbuf(codec.png))) return false;
  call();
  return true;
}

[[noreturn]] void fail_reading(const INPUT_FILE& in, const PNG_CODEC& codec) {
  const std::string message = codec.message;
  if (message.find("Read Error") != std::string::npos || message.find("EOF") != std::string::npos)
    fail(in.name, "truncated PNG file");
  fail(in.name, "damaged PNG file (" + message + ")");
}

PNG_CODEC* make_codec(bool reading) {
  auto* codec = new PNG_CODEC;
  codec->reading = reading;
  codec->png =
      reading ? png_create_read_struct(PNG_LIBPNG_VER_STRING, codec, on_png_error, on_png_warning)
              : png_create_write_struct(PNG_LIBPNG_VER_STRING, codec, on_png_error, on_png_warning);
  if (codec->png) codec->info = png_create_info_struct(codec->png);
  return codec;
}

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

void read_colour(png_structp png, png_infop info, PNG_COLOUR& colour) {
  png_fixed_point gamma = 0;
  colour.has_gamma = png_get_gAMA_fixed(png, info, &gamma) != 0;
  colour.gamma = gamma;
  png_fixed_point* c = colour.chromaticities;
  colour.has_chromaticities =
      png_get_cHRM_fixed(png, info, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7]) != 0;
  int intent = 0;
  colour.has_srgb = png_get_sRGB(png, info, &intent) != 0;
  colour.srgb_intent = intent;
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 length = 0;
  if (png_get_iCCP(png, info, &name, &compression, &profile, &length) && profile && length) {
    colour.icc_name = name;
    colour.icc_profile.assign(profile, profile + length);
  }
}

void write_colour(png_structp png, png_infop info, const PNG_COLOUR& colour) {
  if (colour.has_gamma) png_set_gAMA_fixed(png, info, colour.gamma);
  const png_fixed_point* c = colour.chromaticities;
  if (colour.has_chromaticities)
    png_set_cHRM_fixed(png, info, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
  if (colour.has_srgb) png_set_sRGB(png, info, colour.srgb_intent);
  if (!colour.icc_profile.empty())
    png_set_iCCP(png, info, colour.icc_name.c_str(), PNG_COMPRESSION_TYPE_BASE,
                 colour.icc_profile.data(), static_cast<png_uint_32>(colour.icc_profile.size()));
}

// The transforms that make every picture grey, grey+alpha, RGB or RGBA of
// 8 or 16 bits, native 16-bit words. An interlaced picture's passes are
// read as they are stored (interlace_passes), each as a small picture.
void set_transforms(png_structp png, png_infop info) {
  const int colour_type = png_get_color_type(png, info);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
    png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (png_get_bit_depth(png, info) == 16) png_set_swap(png);  // native little-endian uint16
  png_read_update_info(png, info);
}

// Adam7: the pixels of pass p are those at (x_start + i x_step, y_start + j y_step).
struct PASS {
  int32_t x_start, y_start, x_step, y_step;
};
constexpr PASS adam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                           {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

int32_t pass_count(int32_t size, int32_t start, int32_t step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

// Where each pass's pixels lie in the buffer of an interlaced picture: the
// passes one after the other, each rows of its own width. A pass with no
// pixel is not in the file at all.
struct PASS_LAYOUT {
  int32_t columns[7], rows[7];
  size_t offset[7];
};

PASS_LAYOUT pass_layout(int32_t width, int32_t height, size_t pixel_bytes) {
  PASS_LAYOUT l{};
  size_t at = 0;
  for (int p = 0; p < 7; ++p) {
    l.columns[p] = pass_count(width, adam7[p].x_start, adam7[p].x_step);
    l.rows[p] = pass_count(height, adam7[p].y_start, adam7[p].y_step);
    if (l.columns[p] == 0) l.rows[p] = 0;
    l.offset[p] = at;
    at += static_cast<size_t>(l.columns[p]) * l.rows[p] * pixel_bytes;
  }
  return l;
}

// Row y of an interlaced picture, its pixels picked from the passes that hold them.
void interlaced_row(const PNG_CODEC& c, int32_t width, int32_t height, int32_t y, uint8_t* row) {
  const size_t pixel = c.row_bytes / static_cast<size_t>(width);
  const PASS_LAYOUT l = pass_layout(width, height, pixel);
  for (int p = 0; p < 7; ++p) {
    const PASS& a = adam7[p];
    if (l.rows[p] == 0 || y < a.y_start || (y - a.y_start) % a.y_step != 0) continue;
    const uint8_t* from = c.image.data + l.offset[p] +
                          static_cast<size_t>((y - a.y_start) / a.y_step) * l.columns[p] * pixel;
    for (int32_t i = 0; i < l.columns[p]; ++i)
      std::memcpy(row + static_cast<size_t>(a.x_start + i * a.x_step) * pixel, from + i * pixel,
                  pixel);
  }
}

}  // namespace

PNG_READER::~PNG_READER() { delete codec; }

void open_png(INPUT_FILE& in, PNG_READER& reader) {
  png_byte signature[8] = {};
  const size_t got = read_some(in, signature, sizeof signature);
  if (got < sizeof signature || png_sig_cmp(signature, 0, sizeof signature) != 0)
    fail(in.name, "not a PNG file");
  delete reader.codec;
  reader.codec = make_codec(true);
  PNG_CODEC& c = *reader.codec;
  if (!c.info) fail(in.name, "out of memory for the PNG reader");
  if (!guarded(c, [&] {
        png_set_user_limits(c.png, 0x7fffffff, 0x7fffffff);
        png_init_io(c.png, in.file);
        png_set_sig_bytes(c.png, 8);
        png_read_info(c.png, c.info);
      }))
    fail_reading(in, c);
  PNG_PICTURE& f = reader.format;
  const png_uint_32 width = png_get_image_width(c.png, c.info);
  const png_uint_32 height = png_get_image_height(c.png, c.info);
  if (const std::string refused = check_frame_size(width, height); !refused.empty())
    fail(in.name, refused);
  c.interlaced = png_get_interlace_type(c.png, c.info) == PNG_INTERLACE_ADAM7;
  if (!guarded(c, [&] { set_transforms(c.png, c.info); })) fail_reading(in, c);
  f.width = static_cast<int32_t>(width);
  f.height = static_cast<int32_t>(height);
  f.channels = channels_of(png_get_color_type(c.png, c.info));
  f.depth = png_get_bit_depth(c.png, c.info);
  if (f.channels == 0 || (f.depth != 8 && f.depth != 16))
    fail(in.name, "damaged PNG file (unsupported colour type)");
  read_colour(c.png, c.info, f.colour);
  tell_dropped_chunks(in, c);
  c.row_bytes = png_get_rowbytes(c.png, c.info);
  c.row.resize(c.row_bytes);
}

void read_png_row(INPUT_FILE& in, PNG_READER& reader, uint16_t* samples) {
  PNG_CODEC& c = *reader.codec;
  const PNG_PICTURE& f = reader.format;
  if (!c.interlaced) {
    if (!guarded(c, [&] { png_read_row(c.png, c.row.data(), nullptr); })) fail_reading(in, c);
  } else {
    // Every pass holds pixels of every part of the picture: gather the
    // passes first, as they are stored, in page memory taken as they arrive
    // (so a file cut short costs the data it held), then pick each row's
    // pixels from them.
    const PASS_LAYOUT l = pass_layout(f.width, f.height, c.row_bytes / f.width);
    if (c.next_row == 0) {
      if (!map_pages(c.image, c.row_bytes * static_cast<size_t>(f.height), PAGE_OPTIONS{}))
        fail(in.name, "out of memory for the interlaced picture");
      if (!guarded(c, [&] {
            for (int p = 0; p < 7; ++p)
              for (int32_t y = 0; y < l.rows[p]; ++y)
                png_read_row(c.png,
                             c.image.data + l.offset[p] +
                                 static_cast<size_t>(y) * l.columns[p] * (c.row_bytes / f.width),
                             nullptr);
          }))
        fail_reading(in, c);
    }
    interlaced_row(c, f.width, f.height, c.next_row, c.row.data());
  }
  const uint8_t* row = c.row.data();
  const size_t count = static_cast<size_t>(f.width) * f.channels;
  if (f.depth == 16)
    std::memcpy(samples, row, 2 * count);
  else
    for (size_t i = 0; i < count; ++i) samples[i] = row[i];
  if (++c.next_row == f.height && !guarded(c, [&] { png_read_end(c.png, nullptr); }))
    fail_reading(in, c);
}

PNG_WRITER::~PNG_WRITER() { delete codec; }

void open_png_writer(OUTPUT_FILE& out, PNG_WRITER& writer, const PNG_PICTURE& format) {
  delete writer.codec;
  writer.codec = make_codec(false);
  PNG_CODEC& c = *writer.codec;
  if (!c.info) fail(out.name, "out of memory for the PNG writer");
  if (!guarded(c, [&] {
        png_set_benign_errors(c.png, 1);
        png_init_io(c.png, out.file);
        png_set_IHDR(c.png, c.info, static_cast<png_uint_32>(format.width),
                     static_cast<png_uint_32>(format.height), format.depth,
                     colour_type_of(format.channels), PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        write_colour(c.png, c.info, format.colour);
        png_write_info(c.png, c.info);
        if (format.depth == 16) png_set_swap(c.png);
      }))
    fail(out.name, std::string("cannot write the PNG: ") + c.message);
  c.depth = format.depth;
  c.row_bytes = static_cast<size_t>(format.width) * format.channels * (format.depth / 8);
  c.row.resize(c.row_bytes);
}

void write_png_row(OUTPUT_FILE& out, PNG_WRITER& writer, const uint16_t* samples) {
  PNG_CODEC& c = *writer.codec;
  if (c.depth == 16)
    std::memcpy(c.row.data(), samples, c.row_bytes);
  else
    for (size_t i = 0; i < c.row_bytes; ++i) c.row[i] = static_cast<uint8_t>(samples[i]);
  if (!guarded(c, [&] { png_write_row(c.png, c.row.data()); }))
    fail(out.name, std::string("cannot write the PNG: ") + c.message);
}

void finish_png(OUTPUT_FILE& out, PNG_WRITER& writer) {
  PNG_CODEC& c = *writer.codec;
  if (!guarded(c, [&] { png_write_end(c.png, nullptr); }))
    fail(out.name, std::string("cannot write the PNG: ") + c.message);
}

void read_png(INPUT_FILE& in, PNG_PICTURE& picture) {
  PNG_READER reader;
  open_png(in, reader);
  picture = reader.format;
  const size_t row = static_cast<size_t>(picture.width) * picture.channels;
  picture.samples.resize(row * picture.height);
  for (int32_t y = 0; y < picture.height; ++y)
    read_png_row(in, reader, picture.samples.data() + row * y);
}

void write_png(OUTPUT_FILE& out, const PNG_PICTURE& picture) {
  PNG_WRITER writer;
  open_png_writer(out, writer, picture);
  const size_t row = static_cast<size_t>(picture.width) * picture.channels;
  for (int32_t y = 0; y < picture.height; ++y)
    write_png_row(out, writer, picture.samples.data() + row * y);
  finish_png(out, writer);
}
