#pragma once
// A session with the filter window: the actions of a script done in order,
// each echoed as "> action", then the state printed and the window closed,
// or, with --window, the window left to a person until they close it.
#include <cstdio>
#include <string>
#include <vector>

#include "filter_window.h"
#include "frame_run.h"
#include "plugin.h"
#include "window_actions.h"

struct WINDOW_OPTIONS {
  bool wanted = false;       // --window, --script or --do
  bool interactive = false;  // --window: the window stays until the user closes it
  std::vector<WINDOW_ACTION> actions;
  std::string screenshot;  // saved after the last action, before the window closes
  WINDOW_SETUP setup;
};

constexpr int test_card_width = 320;
constexpr int test_card_height = 240;

// The window's current frame: the file of `frame_file` when given (its
// track and check values become the host's), else a test card.
bool make_current_frame(const FRAME_JOB* frame_file, CURRENT_FRAME& frame, std::string& error);

// 0 when every action was done; 2, with a message on stderr, at the first
// that could not be (the window is closed properly all the same).
int run_window_session(const PLUGIN& plugin, const WINDOW_OPTIONS& options,
                       const CURRENT_FRAME& frame, FILE* out);
