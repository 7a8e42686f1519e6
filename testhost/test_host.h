#pragma once
// The test host's state and the host functions a plug-in reaches through
// EXFUNC. There is one host per process: the EXFUNC entries receive only the
// filter pointer, so they find the host here.
#include <string>
#include <vector>

#include "filter_abi.h"
#include "host_threads.h"

// The host's function table is larger than any plug-in reads; every slot but
// the six the host implements stays null.
constexpr int exfunc_slots = 80;
union HOST_EXFUNC {
  EXFUNC named;
  void* slots[exfunc_slots];
};
static_assert(sizeof(HOST_EXFUNC) == exfunc_slots * sizeof(void*));

struct HOST_SETTINGS {
  int threads = 1;  // threads of exec_multi_thread_func, 1 .. 32; 0 leaves the entry null
  int min_w = 16;   // frame-size limits that get_sys_info reports
  int min_h = 16;
  int max_w = 4096;
  int max_h = 4096;
  bool sys_info_fails = false;            // get_sys_info answers FALSE
  std::string ini_path = "testhost.ini";  // settings file of ini_load_int / ini_save_int
};

struct TEST_HOST {
  HOST_SETTINGS settings;
  std::string ini_path;  // settings.ini_path made absolute
  HOST_EXFUNC exfunc;
  HOST_THREADS* threads;
  FILTER* filter;          // the plug-in's table once attached
  std::string section;     // the settings file's section: the filter's name
  std::vector<int> track;  // current track values, FILTER::track points here
  std::vector<int> check;  // current check values, FILTER::check points here
  bool filter_active;      // what is_filter_active answers
  int window_updates;      // calls of filter_window_update
};

extern TEST_HOST test_host;

// Sets up the host: the function table, the worker threads, the settings file's
// path. False, with a message, when that fails.
bool start_test_host(const HOST_SETTINGS& settings, std::string& error);
void stop_test_host();

// Replaces the host's worker threads with `count` (0 leaves exec_multi_thread_func
// null). False, with no threads and the entry null, when they cannot be started.
bool set_host_threads(int count);

// Makes the filter the host's own: fills track (the defaults), check (the
// defaults), exfunc, hwnd (no window yet) and dll_hinst.
void attach_filter(FILTER* filter, HINSTANCE module);
