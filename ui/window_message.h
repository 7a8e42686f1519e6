#pragma once
// The filter's window-message function (the table's func_WndProc): builds
// the size controls on WM_FILTER_INIT, applies the size on a click of the set
// button, ends the controls on WM_FILTER_EXIT and releases the resampler's
// work memory when the filter is switched off.
#include <windows.h>

#include "abi.h"
#include "filter_abi.h"

// Clamps the size from read_selected_size into both track ranges, writes
// track 0 (width) and track 1 (height) and returns filter_window_update's
// result; returns 0 and leaves the tracks alone when there is no size.
int apply_size(FILTER* filter);

// Nonzero asks the host to process and redraw the current frame.
HOST_ENTRY BOOL __cdecl handle_window_message(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam, void* editp, FILTER* filter) noexcept;
