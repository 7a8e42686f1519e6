#include "filter.h"

namespace {

// Texts in code page 932, the bytes the host shows.
char filter_name[] = "Morvane\x95\xE2\x8A\xD4";                   // "Morvane補間"
char vertical_first_name[] = "\x8F\x63\x82\xF0\x97\x44\x90\xE6";  // "縦を優先" (vertical first)
char information[] = "morvane by Ulvo, ver1.4";

char track_x_name[] = "X";  // target width
char track_y_name[] = "Y";  // target height
char* track_names[] = {track_x_name, track_y_name};
int track_defaults[] = {640, 480};
int track_minimums[] = {32, 32};      // replaced by init_filter
int track_maximums[] = {2048, 2048};  // replaced by init_filter

char* check_names[] = {vertical_first_name};
int check_defaults[] = {0};

}  // namespace

FILTER_DLL filter_table = {
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
    // The filter window's message handler goes here once the window has its
    // size controls; while this is null the host sends no window messages.
    .func_WndProc = nullptr,
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

FILTER_DLL* prepare_filter_table(const SSE_LOOKUPS& lookups) {
  filter_table.func_proc = has_sse(lookups) ? process_frame : nullptr;
  return &filter_table;
}
