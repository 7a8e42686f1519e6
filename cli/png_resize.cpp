#include "png_resize.h"

#include <algorithm>
#include <new>
#include <vector>

#include "alpha_weight.h"
#include "file_io.h"
#include "frame_allocation.h"
#include "picture_frames.h"
#include "png_file.h"
#include "tool_error.h"

namespace {

// A picture's buffers are sized by its header before its first row is read.
// When they cannot be had, the rows are read on, one at a time, so that a
// damaged file is called damaged; a whole one is then refused for its size.
void need(bool had, INPUT_FILE& in, PNG_READER& reader) {
  if (had) return;
  const PNG_PICTURE& f = reader.format;
  std::vector<uint16_t> row(static_cast<size_t>(f.width) * f.channels);
  for (int32_t y = 0; y < f.height; ++y) read_png_row(in, reader, row.data());
  fail(in.name, "out of memory for a " + std::to_string(f.width) + "x" + std::to_string(f.height) +
                    " picture");
}

// int16 samples to the library's 16-bit codes and back, in place: a code is
// the sample plus 32768 (the sample with its sign bit flipped), and the
// library resizes 16-bit codes as those very samples, saturated to int16. So
// any plane of int16 (alpha on the luma scale, premultiplied samples) goes
// through its 16-bit planes with the bits of an int16 plane.
void flip_sign_bits(int16_t* samples, size_t count) {
  uint16_t* words = reinterpret_cast<uint16_t*>(samples);
  for (size_t i = 0; i < count; ++i) words[i] ^= 0x8000;
}

// `count` planes of w x h int16 samples, packed one after the other from
// `sources`, resized into as many of tw x th from `targets` through the
// library's 16-bit planes; the sources are left as codes.
void resize_sample_planes(LIBRARY_CONTEXT& library, int16_t* sources, int32_t w, int32_t h,
                          int16_t* targets, int32_t tw, int32_t th, int count,
                          const morvane_options& options, const std::string& name) {
  const size_t plane = static_cast<size_t>(w) * h, target_plane = static_cast<size_t>(tw) * th;
  flip_sign_bits(sources, plane * count);
  morvane_plane_job jobs[4];
  for (int k = 0; k < count; ++k)
    jobs[k] = morvane_plane_job{sources + k * plane,        ptrdiff_t{2} * w,         w,  h,
                                targets + k * target_plane, ptrdiff_t{2} * tw,        tw, th,
                                morvane_axis{0.5f, w, tw},  morvane_axis{0.5f, h, th}};
  resize_in_library(library, jobs, count, 16, options, name);
  flip_sign_bits(targets, target_plane * count);
}

// Pixels first .. first + width - 1 of `c` planes `plane` samples apart as
// one row of interleaved samples, and back.
void interleave(const int16_t* planes, size_t plane, size_t first, int32_t width, int c,
                int16_t* row) {
  for (int32_t x = 0; x < width; ++x)
    for (int k = 0; k < c; ++k) row[static_cast<size_t>(x) * c + k] = planes[k * plane + first + x];
}

void deinterleave(const int16_t* row, size_t plane, size_t first, int32_t width, int c,
                  int16_t* planes) {
  for (int32_t x = 0; x < width; ++x)
    for (int k = 0; k < c; ++k) planes[k * plane + first + x] = row[static_cast<size_t>(x) * c + k];
}

// 16-bit pictures kept whole: every channel a plane of its own (the code less
// 32768, the library's int16 sample), colour weighted by alpha unless the
// options say straight.
void resize_png_channels(const PNG_JOB& o, INPUT_FILE& in, PNG_READER& reader,
                         const PNG_PICTURE& out_format, LIBRARY_CONTEXT& library) {
  const PNG_PICTURE& f = reader.format;
  const int c = f.channels;
  const bool weigh = has_alpha(f) && !o.straight_alpha;
  bool uniform = true;
  const size_t in_plane = static_cast<size_t>(f.width) * f.height,
               out_plane = static_cast<size_t>(out_format.width) * out_format.height;
  PAGE_OPTIONS options;
  options.huge_pages = true;
  SAMPLE_BUFFER source, result;
  need(make_sample_buffer(source, uint64_t{in_plane} * c, options) &&
           make_sample_buffer(result, uint64_t{out_plane} * c, options),
       in, reader);
  std::vector<uint16_t> row(static_cast<size_t>(std::max(f.width, out_format.width)) * c);
  std::vector<int16_t> samples(row.size());
  for (int32_t y = 0; y < f.height; ++y) {
    read_png_row(in, reader, row.data());
    const size_t first = static_cast<size_t>(f.width) * y;
    for (size_t i = 0; i < static_cast<size_t>(f.width) * c; ++i)
      samples[i] = static_cast<int16_t>(row[i] - 32768);
    deinterleave(samples.data(), in_plane, first, f.width, c, source.samples);
    for (int32_t x = 0; weigh && uniform && x < f.width; ++x)
      uniform =
          source.samples[(c - 1) * in_plane + first + x] == source.samples[(c - 1) * in_plane];
  }
  // Weighing by one alpha everywhere (a fully opaque picture among them)
  // changes no colour: such a picture keeps every bit.
  const bool weighted = weigh && !uniform;
  // Weighted, the alpha is also resized on its own at its full 16 bits.
  SAMPLE_BUFFER alpha, alpha_out;
  if (weighted) {
    need(make_sample_buffer(alpha, in_plane, options) &&
             make_sample_buffer(alpha_out, out_plane, options),
         in, reader);
    std::copy_n(source.samples + (c - 1) * in_plane, in_plane, alpha.samples);
  }
  for (int32_t y = 0; weighted && y < f.height; ++y) {
    const size_t first = static_cast<size_t>(f.width) * y;
    interleave(source.samples, in_plane, first, f.width, c, samples.data());
    premultiply_samples(samples.data(), f.width, c);
    deinterleave(samples.data(), in_plane, first, f.width, c, source.samples);
  }
  const morvane_options call = library_options(library, o.vertical_first, o.antialias);
  resize_sample_planes(library, source.samples, f.width, f.height, result.samples, out_format.width,
                       out_format.height, c, call, o.input);
  if (weighted)
    resize_sample_planes(library, alpha.samples, f.width, f.height, alpha_out.samples,
                         out_format.width, out_format.height, 1, call, o.input);
  OUTPUT_FILE out;
  open_output(out, o.output);
  PNG_WRITER writer;
  open_png_writer(out, writer, out_format);
  for (int32_t y = 0; y < out_format.height; ++y) {
    const size_t first = static_cast<size_t>(out_format.width) * y;
    interleave(result.samples, out_plane, first, out_format.width, c, samples.data());
    if (weighted)
      unpremultiply_samples(samples.data(), alpha_out.samples + first, out_format.width, c,
                            row.data());
    else
      for (size_t i = 0; i < static_cast<size_t>(out_format.width) * c; ++i)
        row[i] = static_cast<uint16_t>(samples[i] + 32768);
    write_png_row(out, writer, row.data());
  }
  finish_png(out, writer);
  commit_output(out);
}

// The editor's way: colour through YC48, alpha as a channel of its own; the
// colour weighted by alpha while it is resized, unless the options say
// straight.
void resize_png_yc48(const PNG_JOB& o, INPUT_FILE& in, PNG_READER& reader,
                     const PNG_PICTURE& out_format, LIBRARY_CONTEXT& library) {
  const PNG_PICTURE& f = reader.format;
  const bool alpha = has_alpha(f);
  const bool weigh = alpha && !o.straight_alpha;
  const size_t in_plane = static_cast<size_t>(f.width) * f.height,
               out_plane = static_cast<size_t>(out_format.width) * out_format.height;
  PAGE_OPTIONS options;
  options.huge_pages = true;
  SAMPLE_BUFFER colour_memory, colour_out_memory, opacity, opacity_out;
  YC48_IMAGE colour, colour_out;
  need(make_frame(colour_memory, f.width, f.height, colour) &&
           make_frame(colour_out_memory, out_format.width, out_format.height, colour_out) &&
           (!alpha || (make_sample_buffer(opacity, in_plane, options) &&
                       make_sample_buffer(opacity_out, out_plane, options))),
       in, reader);
  std::vector<uint16_t> row(static_cast<size_t>(std::max(f.width, out_format.width)) * f.channels);
  bool uniform = true;
  for (int32_t y = 0; y < f.height; ++y) {
    read_png_row(in, reader, row.data());
    int16_t* opacity_row = alpha ? opacity.samples + static_cast<size_t>(f.width) * y : nullptr;
    row_to_yc48(row.data(), f, image_row(colour, y), opacity_row, 1);
    for (int32_t x = 0; weigh && uniform && x < f.width; ++x)
      uniform = opacity_row[x] == opacity.samples[0];
  }
  // Weighing by one alpha everywhere changes no colour: such a picture keeps
  // every bit, however transparent.
  const bool weighted = weigh && !uniform;
  for (int32_t y = 0; weighted && y < f.height; ++y)
    premultiply_yc48(image_row(colour, y), opacity.samples + static_cast<size_t>(f.width) * y, 1,
                     f.width);
  const morvane_options call = library_options(library, o.vertical_first, o.antialias);
  resize_yc48_in_library(library, colour, colour_out, call, o.input);
  if (alpha)
    resize_sample_planes(library, opacity.samples, f.width, f.height, opacity_out.samples,
                         out_format.width, out_format.height, 1, call, o.input);
  OUTPUT_FILE out;
  open_output(out, o.output);
  PNG_WRITER writer;
  open_png_writer(out, writer, out_format);
  for (int32_t y = 0; y < out_format.height; ++y) {
    const int16_t* opacity_row =
        alpha ? opacity_out.samples + static_cast<size_t>(out_format.width) * y : nullptr;
    if (weighted) unpremultiply_yc48(image_row(colour_out, y), opacity_row, 1, out_format.width);
    row_from_yc48(image_row(colour_out, y), opacity_row, 1, out_format, row.data());
    write_png_row(out, writer, row.data());
  }
  finish_png(out, writer);
  commit_output(out);
}

}  // namespace

void resize_png_file(const PNG_JOB& o, LIBRARY_CONTEXT& library) {
  INPUT_FILE in;
  open_input(in, o.input);
  PNG_READER reader;
  try {
    open_png(in, reader);
    PNG_PICTURE out_format = reader.format;
    out_format.width = o.target_w;
    out_format.height = o.target_h;
    if (reader.format.depth == 16 && !o.via_yc48)
      resize_png_channels(o, in, reader, out_format, library);
    else
      resize_png_yc48(o, in, reader, out_format, library);
  } catch (const std::bad_alloc&) {
    fail(o.input, "out of memory for the picture");
  }
}
