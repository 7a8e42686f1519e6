#include "png_resize.h"

#include <algorithm>
#include <new>
#include <vector>

#include "alpha_weight.h"
#include "frame_buffer.h"
#include "file_io.h"
#include "frame_resize.h"
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

// 16-bit pictures kept whole: every channel a plane of its own, the code
// less 32768 as the engine's int16; colour weighted by alpha unless the
// options say straight.
void resize_png_channels(const PNG_JOB& o, INPUT_FILE& in, PNG_READER& reader,
                         const PNG_PICTURE& out_format, const ENGINE_THREADS& threads) {
  const PNG_PICTURE& f = reader.format;
  const int c = f.channels;
  const bool weigh = has_alpha(f) && !o.straight_alpha;
  bool uniform = true;
  const size_t in_row = static_cast<size_t>(f.width) * c,
               out_row = static_cast<size_t>(out_format.width) * c;
  PAGE_OPTIONS options;
  options.huge_pages = true;
  SAMPLE_BUFFER source, result;
  need(make_sample_buffer(source, uint64_t{in_row} * f.height, options) &&
           make_sample_buffer(result, uint64_t{out_row} * out_format.height, options),
       in, reader);
  std::vector<uint16_t> row(std::max(in_row, out_row));
  for (int32_t y = 0; y < f.height; ++y) {
    read_png_row(in, reader, row.data());
    int16_t* to = source.samples + in_row * y;
    for (size_t i = 0; i < in_row; ++i) to[i] = static_cast<int16_t>(row[i] - 32768);
    for (size_t i = c - 1; weigh && uniform && i < in_row; i += c)
      uniform = to[i] == source.samples[c - 1];
  }
  // Weighing by one alpha everywhere (a fully opaque picture among them)
  // changes no colour: such a picture keeps every bit.
  const bool weighted = weigh && !uniform;
  // Weighted, the alpha is also resized on its own at its full 16 bits.
  SAMPLE_BUFFER alpha, alpha_out;
  if (weighted) {
    need(make_sample_buffer(alpha, uint64_t{1} * f.width * f.height, options) &&
             make_sample_buffer(alpha_out, uint64_t{1} * out_format.width * out_format.height,
                                options),
         in, reader);
    for (size_t i = 0; i < static_cast<size_t>(f.width) * f.height; ++i)
      alpha.samples[i] = source.samples[i * c + c - 1];
  }
  for (int32_t y = 0; weighted && y < f.height; ++y)
    premultiply_samples(source.samples + in_row * y, f.width, c);
  PLANE_JOB jobs[4];
  for (int k = 0; k < c; ++k)
    jobs[k] =
        PLANE_JOB{PLANE{source.samples + k, f.width, f.height, static_cast<ptrdiff_t>(in_row), c},
                  PLANE{result.samples + k, out_format.width, out_format.height,
                        static_cast<ptrdiff_t>(out_row), c},
                  own_grid(f.width, out_format.width), own_grid(f.height, out_format.height)};
  PLANE_WORK work;
  LOW_PASS_WORK low_pass;
  prepare_plane_work(work);
  resize_planes_or_fail(work, jobs, c, o.vertical_first, o.antialias ? &low_pass : nullptr, threads,
                        o.input);
  if (weighted) {
    const PLANE_JOB alone{
        PLANE{alpha.samples, f.width, f.height, f.width, 1},
        PLANE{alpha_out.samples, out_format.width, out_format.height, out_format.width, 1},
        own_grid(f.width, out_format.width), own_grid(f.height, out_format.height)};
    resize_planes_or_fail(work, &alone, 1, o.vertical_first, o.antialias ? &low_pass : nullptr,
                          threads, o.input);
  }
  OUTPUT_FILE out;
  open_output(out, o.output);
  PNG_WRITER writer;
  open_png_writer(out, writer, out_format);
  for (int32_t y = 0; y < out_format.height; ++y) {
    const int16_t* from = result.samples + out_row * y;
    if (weighted)
      unpremultiply_samples(from, alpha_out.samples + static_cast<size_t>(out_format.width) * y,
                            out_format.width, c, row.data());
    else
      for (size_t i = 0; i < out_row; ++i) row[i] = static_cast<uint16_t>(from[i] + 32768);
    write_png_row(out, writer, row.data());
  }
  finish_png(out, writer);
  commit_output(out);
}

// The editor's way: colour through YC48, alpha as a channel of its own; the
// colour weighted by alpha while it is resized, unless the options say
// straight.
void resize_png_yc48(const PNG_JOB& o, INPUT_FILE& in, PNG_READER& reader,
                     const PNG_PICTURE& out_format, const ENGINE_THREADS& threads) {
  const PNG_PICTURE& f = reader.format;
  const bool alpha = has_alpha(f);
  const bool weigh = alpha && !o.straight_alpha;
  PAGE_OPTIONS options;
  options.huge_pages = true;
  FRAME_BUFFER colour, colour_out;
  SAMPLE_BUFFER opacity, opacity_out;
  need(make_frame_buffer(colour, f.width, f.height, options) &&
           make_frame_buffer(colour_out, out_format.width, out_format.height, options) &&
           (!alpha ||
            (make_sample_buffer(opacity, uint64_t{1} * f.width * f.height, options) &&
             make_sample_buffer(opacity_out, uint64_t{1} * out_format.width * out_format.height,
                                options))),
       in, reader);
  std::vector<uint16_t> row(static_cast<size_t>(std::max(f.width, out_format.width)) * f.channels);
  bool uniform = true;
  for (int32_t y = 0; y < f.height; ++y) {
    read_png_row(in, reader, row.data());
    int16_t* opacity_row = alpha ? opacity.samples + static_cast<size_t>(f.width) * y : nullptr;
    row_to_yc48(row.data(), f, pixel_at(colour.frame, 0, y), opacity_row, 1);
    for (int32_t x = 0; weigh && uniform && x < f.width; ++x)
      uniform = opacity_row[x] == opacity.samples[0];
  }
  // Weighing by one alpha everywhere changes no colour: such a picture keeps
  // every bit, however transparent.
  const bool weighted = weigh && !uniform;
  for (int32_t y = 0; weighted && y < f.height; ++y)
    premultiply_yc48(pixel_at(colour.frame, 0, y),
                     opacity.samples + static_cast<size_t>(f.width) * y, 1, f.width);
  colour.frame.w = f.width;
  colour.frame.h = f.height;
  colour_out.frame.w = out_format.width;
  colour_out.frame.h = out_format.height;
  const int channels = f.channels >= 3 ? 3 : 1;
  PLANE_JOB jobs[4];
  for (int k = 0; k < channels; ++k)
    jobs[k] = PLANE_JOB{frame_channel(colour.frame, k), frame_channel(colour_out.frame, k),
                        own_grid(f.width, out_format.width), own_grid(f.height, out_format.height)};
  if (alpha)
    jobs[channels] = PLANE_JOB{
        PLANE{opacity.samples, f.width, f.height, f.width, 1},
        PLANE{opacity_out.samples, out_format.width, out_format.height, out_format.width, 1},
        own_grid(f.width, out_format.width), own_grid(f.height, out_format.height)};
  PLANE_WORK work;
  LOW_PASS_WORK low_pass;
  prepare_plane_work(work);
  resize_planes_or_fail(work, jobs, channels + (alpha ? 1 : 0), o.vertical_first,
                        o.antialias ? &low_pass : nullptr, threads, o.input);
  OUTPUT_FILE out;
  open_output(out, o.output);
  PNG_WRITER writer;
  open_png_writer(out, writer, out_format);
  for (int32_t y = 0; y < out_format.height; ++y) {
    const int16_t* opacity_row =
        alpha ? opacity_out.samples + static_cast<size_t>(out_format.width) * y : nullptr;
    if (weighted)
      unpremultiply_yc48(pixel_at(colour_out.frame, 0, y), opacity_row, 1, out_format.width);
    row_from_yc48(pixel_at(colour_out.frame, 0, y), opacity_row, 1, out_format, row.data());
    write_png_row(out, writer, row.data());
  }
  finish_png(out, writer);
  commit_output(out);
}

}  // namespace

void resize_png_file(const PNG_JOB& o, const ENGINE_THREADS& threads) {
  INPUT_FILE in;
  open_input(in, o.input);
  PNG_READER reader;
  try {
    open_png(in, reader);
    PNG_PICTURE out_format = reader.format;
    out_format.width = o.target_w;
    out_format.height = o.target_h;
    if (reader.format.depth == 16 && !o.via_yc48)
      resize_png_channels(o, in, reader, out_format, threads);
    else
      resize_png_yc48(o, in, reader, out_format, threads);
  } catch (const std::bad_alloc&) {
    fail(o.input, "out of memory for the picture");
  }
}
