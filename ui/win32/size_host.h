#pragma once
// What the size controls need from the host that owns the filter window. The
// host hands it over with every call, so the controls never read the host's
// own records.
#include <windows.h>

#include "size_settings.h"

struct SIZE_HOST {
  HINSTANCE instance;        // the module that owns the controls' windows
  SIZE_SETTINGS* settings;   // where the size list is kept
  int* track;                // the width and height tracks, which the set button writes
  const int* track_minimum;  // their ranges, per track
  const int* track_maximum;
  // Shows the tracks' new values; apply_size answers what this answers.
  int (*update_window)(void* context);
  void* context;
};
