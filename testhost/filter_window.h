#pragma once
// The test host's filter window, made as the editor makes one: a top-level
// window titled with the filter's name, per track a row of a label, a slider
// and a number field, and per check a check box (class "BUTTON") captioned
// with the check's name, at the bottom of the client area.
//
// Its window procedure hands every message it receives to the filter's
// func_WndProc (on a misaligned stack) and, when that answers nonzero,
// processes the current frame again, except for WM_FILTER_EXIT, after which
// the window ends. Moving a slider or clicking a check box changes the
// filter's track or check value and processes the frame, as the editor's
// own controls do. The system menu holds "Filter on", which switches the
// filter off and on. The number fields only show the values.
#include <windows.h>

#include <string>
#include <vector>

#include "frame_run.h"
#include "pixel.h"
#include "plugin.h"
#include "top_window.h"

constexpr int default_client_width = 400;

struct WINDOW_SETUP {
  int client_w = 0;            // client size; 0: default_client_width, and rows for
  int client_h = 0;            // every track and check
  bool rename_checks = false;  // caption every check box check_caption
  std::string check_caption;   // instead of the check's name
  bool visible = false;        // mapping a window costs about 2 s under Xvfb
};

// The frame the window shows: processed when the filter's window function
// asks for it, when a slider or check box changes, and on request.
struct CURRENT_FRAME {
  FRAME_JOB job;                 // sizes, buffer and output; never its track or check
  std::vector<PIXEL_YC> pixels;  // frame_w x frame_h
};

struct FILTER_WINDOW {
  const PLUGIN* plugin;
  HWND window;
  std::vector<HWND> labels, sliders, fields;  // per track
  std::vector<HWND> check_boxes;              // per check
  int init_result;  // func_WndProc's answer to WM_FILTER_INIT; -1 before it
  int exit_result;  // likewise for WM_FILTER_EXIT
  CURRENT_FRAME frame;
  int frames_processed;  // calls of func_proc since the window opened
  int frames_passed;     // frames shown unprocessed since then (filter off)
  FRAME_RESULT last;     // of the latest func_proc call
  std::string frame_error;
  bool updating;  // the host itself is setting its controls
};

extern FILTER_WINDOW filter_window;

// Makes the window and its controls for the attached filter, shows the
// filter's values, sends WM_FILTER_INIT and processes the frame when the
// filter asks for it. False, with a message, when the window cannot be made.
bool open_filter_window(const PLUGIN& plugin, const WINDOW_SETUP& setup, CURRENT_FRAME frame,
                        std::string& error);
bool filter_window_is_open();

// Closes the window as the user does: WM_FILTER_EXIT, then the window ends.
void close_filter_window();

// What filter_window_update does: sliders, number fields and check boxes
// take the filter's track values and ranges and check values.
void show_filter_values();

// Processes the current frame through func_proc with the filter's values,
// as the editor does to redraw it; only counts it while the filter is off.
// False, with the reason in frame_error, when the frame could not be run.
bool process_current_frame();

// Switches the filter on or off and tells the filter window.
void set_filter_active(bool active);

// Shows the window and waits until it has been drawn.
void show_filter_window();

// Runs the window's messages until the user closes it.
void run_until_closed();
