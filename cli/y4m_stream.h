#pragma once
// Resizing a YUV4MPEG2 stream frame by frame: one frame in memory at a time,
// whatever the stream's length, each frame passed on as soon as it is done.
//
// Every plane is resized at its own size and depth (the plane path,
// y4m_plane_path.h), so subsampled chroma keeps its resolution and its siting,
// codes come back rounded to nearest, and a frame at the stream's own size is
// passed on as it came. via_yc48 takes the editor's way instead: chroma
// brought to every pixel, YC48 with the editor's formulas (and their bias),
// and subsampled again (y4m_yc48_path.h).
#include <cstdint>

#include "file_io.h"
#include "library_resize.h"
#include "progress.h"

struct STREAM_JOB {
  int32_t target_w;
  int32_t target_h;
  bool vertical_first;
  bool via_yc48 = false;
  bool antialias = false;  // low-pass the axes that shrink first
};

// Reads the stream from `in`, writes the resized stream to `out` (not
// committed), resizing in `library`. Throws TOOL_ERROR naming the input for a damaged, cut-short or
// unsupported stream; frames written before the failure stay written.
void resize_y4m_stream(INPUT_FILE& in, OUTPUT_FILE& out, const STREAM_JOB& job,
                       LIBRARY_CONTEXT& library, PROGRESS& progress);
