#pragma once
// One frame through the plug-in: the input read into a guarded buffer, the
// host's track and check values set, func_proc called (optionally many times,
// timed) and the image the frame record then describes written out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pixel.h"
#include "plugin.h"

// The most bytes a buffer of the test host holds, for a frame or the
// buffers it hands the plug-in.
constexpr uint64_t most_buffer_bytes = uint64_t{1} << 30;

struct FRAME_JOB {
  std::string input;  // .yc48 file of frame_w x frame_h
  int frame_w = 0;
  int frame_h = 0;
  int buffer_w = 0;  // 0: the larger of the frame and the target, per axis
  int buffer_h = 0;
  bool set_track = false;  // else the host's track values stay as they are
  int track_w = 0;
  int track_h = 0;
  bool set_check = false;
  int check = 0;
  std::string output;  // empty: nothing written
  int repeat = 0;      // > 0: run that many times and report the median time
  bool func_exit_after = false;
};

struct FRAME_RESULT {
  int result;  // func_proc's answer; -1 when the table has no func_proc
  int w;       // image size in the frame record afterwards
  int h;
  int buffer_w;
  int buffer_h;
  double median_ms;   // of func_proc alone, when repeat > 0
  size_t work_bytes;  // page memory the plug-in holds after the frame
};

// The frame record the host hands func_proc for an image of w x h in the
// buffers `edit` and `temp` (both max_w x max_h).
FILTER_PROC_INFO host_frame_record(PIXEL_YC* edit, PIXEL_YC* temp, int w, int h, int max_w,
                                   int max_h);

// False, with a message, when the input, the sizes or the output fail; the
// plug-in's answer is in `result` either way.
bool run_frame(const PLUGIN& plugin, const FRAME_JOB& job, FRAME_RESULT& result,
               std::string& error);

// The same with the frame's pixels already in memory (job.input is not read);
// `input` holds frame_w x frame_h pixels, rows packed.
bool run_frame_on(const PLUGIN& plugin, const FRAME_JOB& job, const std::vector<PIXEL_YC>& input,
                  FRAME_RESULT& result, std::string& error);
