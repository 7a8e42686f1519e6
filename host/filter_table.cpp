#include "filter.h"

#include "check_caption.h"
#include "window_message.h"

namespace {

// Texts in code page 932, the bytes the host shows.
char filter_name[] = "Morvane\x95\xE2\x8A\xD4";  // "Morvane補間"
char information[] = "morvane by Ulvo, ver1.4";

char track_x_name[] = "X";  // target width
char track_y_name[] = "Y";  // target height
char* track_names[] = {track_x_name, track_y_name};
int track_defaults[] = {640, 480};
int track_minimums[] = {32, 32};      // replaced by init_filter
int track_maximums[] = {2048, 2048};  // replaced by init_filter

// The window handler finds the host's check box by this caption, so both use
// the same bytes. The host only reads the names.
char* check_names[] = {const_cast<char*>(vertical_first_caption)};
int check_defaults[] = {0};

}  // namespace

FILTER filter_table = {
    .flag = FILTER_FLAG_EX_INFORMATION,
    .x = 0,
    .y = 0,
    .name = filter_name,
    .track_n = 2,
    .track_name = track_names,
    .track_default = track_defaults,
    .track_s = track_minimums,
    .track_e = track_maximums,
    .check_n = 1,
    .check_name = check_names,
    .check_default = check_defaults,
    .func_proc = process_frame,
    .func_init = init_filter,
    .func_exit = exit_filter,
    .func_update = nullptr,
    .func_WndProc = handle_window_message,
    .track = nullptr,
    .check = nullptr,
    .ex_data_ptr = nullptr,
    .ex_data_size = 0,
    .information = information,
    .func_save_start = nullptr,
    .func_save_end = nullptr,
    .exfunc = nullptr,
    .hwnd = nullptr,
    .dll_hinst = nullptr,
    .ex_data_def = nullptr,
    .func_is_saveframe = nullptr,
    .func_project_load = nullptr,
    .func_project_save = nullptr,
    .func_modify_title = nullptr,
    .dll_path = nullptr,
    .reserve = {0, 0},
};

FILTER* prepare_filter_table(const SSE_LOOKUPS& lookups) {
  filter_table.func_proc = has_sse(lookups) ? process_frame : nullptr;
  return &filter_table;
}
