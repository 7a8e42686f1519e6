#pragma once
// The filter's window-message function (the table's func_WndProc): hands the
// size controls what they need of the filter record, builds them on
// WM_FILTER_INIT, applies the size on a click of the set button, ends them on
// WM_FILTER_EXIT and releases the resampler's work memory when the filter is
// switched off.
#include <windows.h>

#include "abi.h"
#include "filter_abi.h"

// Nonzero asks the host to process and redraw the current frame.
HOST_ENTRY BOOL __cdecl handle_window_message(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam, void* editp, FILTER* filter) noexcept;
