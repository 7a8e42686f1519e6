#include "test_host.h"

#include <cstdio>

#include "abi.h"
#include "filter_window.h"

TEST_HOST test_host;

namespace {

// The entries are called by the plug-in, which owes them no particular stack
// alignment, hence HOST_ENTRY.

HOST_ENTRY BOOL __cdecl get_sys_info(void*, SYS_INFO* sip) {
  if (test_host.settings.sys_info_fails || !sip) return FALSE;
  const HOST_SETTINGS& s = test_host.settings;
  static char info[] = "morvane test host";
  *sip = SYS_INFO{};
  sip->info = info;
  sip->filter_n = 1;
  sip->min_w = s.min_w;
  sip->min_h = s.min_h;
  sip->max_w = s.max_w;
  sip->max_h = s.max_h;
  sip->vram_w = s.max_w;
  sip->vram_h = s.max_h;
  sip->vram_yc_size = sizeof(PIXEL_YC);
  sip->vram_line_size = static_cast<int>(sizeof(PIXEL_YC)) * s.max_w;
  return TRUE;
}

// The filter window, when there is one, re-reads the track values and
// ranges and the check values; every call is counted.
HOST_ENTRY BOOL __cdecl filter_window_update(void*) {
  ++test_host.window_updates;
  show_filter_values();
  return TRUE;
}

HOST_ENTRY BOOL __cdecl is_filter_active(void*) { return test_host.filter_active ? TRUE : FALSE; }

HOST_ENTRY int __cdecl ini_load_int(void*, char* key, int default_value) {
  return static_cast<int>(GetPrivateProfileIntA(test_host.section.c_str(), key, default_value,
                                                test_host.ini_path.c_str()));
}

HOST_ENTRY int __cdecl ini_save_int(void*, char* key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return WritePrivateProfileStringA(test_host.section.c_str(), key, text,
                                    test_host.ini_path.c_str())
             ? TRUE
             : FALSE;
}

HOST_ENTRY BOOL __cdecl exec_multi_thread_func(MULTI_THREAD_FUNC func, void* param1, void* param2) {
  return run_on_host_threads(test_host.threads, func, param1, param2);
}

}  // namespace

bool start_test_host(const HOST_SETTINGS& settings, std::string& error) {
  test_host = TEST_HOST{};
  test_host.settings = settings;
  test_host.filter_active = true;

  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(settings.ini_path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) {
    error = "cannot make a full path of the settings file '" + settings.ini_path + "'";
    return false;
  }
  test_host.ini_path = full;

  EXFUNC& ex = test_host.exfunc.named;
  ex.get_sys_info = get_sys_info;
  ex.filter_window_update = filter_window_update;
  ex.is_filter_active = is_filter_active;
  ex.ini_load_int = ini_load_int;
  ex.ini_save_int = ini_save_int;
  if (!set_host_threads(settings.threads)) {
    error = "cannot start " + std::to_string(settings.threads) + " worker threads (1 to " +
            std::to_string(max_host_threads) + ")";
    return false;
  }
  return true;
}

bool set_host_threads(int count) {
  stop_host_threads(test_host.threads);
  test_host.threads = nullptr;
  test_host.exfunc.named.exec_multi_thread_func = nullptr;
  test_host.settings.threads = count;
  if (count == 0) return true;
  test_host.threads = start_host_threads(count);
  if (test_host.threads) test_host.exfunc.named.exec_multi_thread_func = exec_multi_thread_func;
  return test_host.threads != nullptr;
}

void stop_test_host() {
  stop_host_threads(test_host.threads);
  test_host = TEST_HOST{};
}

void attach_filter(FILTER* filter, HINSTANCE module) {
  test_host.filter = filter;
  test_host.section = filter->name ? filter->name : "filter";
  test_host.track.assign(filter->track_n > 0 ? filter->track_n : 0, 0);
  test_host.check.assign(filter->check_n > 0 ? filter->check_n : 0, 0);
  if (filter->track_default)
    test_host.track.assign(filter->track_default, filter->track_default + test_host.track.size());
  if (filter->check_default)
    test_host.check.assign(filter->check_default, filter->check_default + test_host.check.size());
  filter->track = test_host.track.data();
  filter->check = test_host.check.data();
  filter->exfunc = &test_host.exfunc.named;
  filter->hwnd = nullptr;
  filter->dll_hinst = module;
}
