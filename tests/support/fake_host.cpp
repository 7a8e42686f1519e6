#include "fake_host.h"

#include <cstring>

namespace {

FAKE_HOST* running = nullptr;

BOOL __cdecl window_update(void* fp) {
  running->window_updates.push_back(fp);
  return running->window_update_answer;
}

BOOL __cdecl is_filter_active(void*) { return running->active; }

int __cdecl ini_load_int(void*, char* key, int default_value) {
  running->loaded.emplace_back(key);
  const auto found = running->settings.find(key);
  return found == running->settings.end() ? default_value : found->second;
}

int __cdecl ini_save_int(void*, char* key, int value) {
  running->saved.emplace_back(key, value);
  running->settings[key] = value;
  return TRUE;
}

BOOL __cdecl get_sys_info(void* editp, SYS_INFO* sip) {
  const SYS_INFO zero{};
  running->sys_info_was_zero = std::memcmp(sip, &zero, sizeof zero) == 0;
  running->sys_info_editp = editp;
  if (!running->sys_info_ok) return FALSE;
  sip->min_w = running->min_w;
  sip->min_h = running->min_h;
  sip->max_w = running->max_w;
  sip->max_h = running->max_h;
  return TRUE;
}

}  // namespace

void start_fake_host(FAKE_HOST& host, const FILTER& table) {
  running = &host;
  host.exfunc = EXFUNC{};
  host.exfunc.filter_window_update = window_update;
  host.exfunc.is_filter_active = is_filter_active;
  host.exfunc.ini_load_int = ini_load_int;
  host.exfunc.ini_save_int = ini_save_int;
  host.exfunc.get_sys_info = get_sys_info;
  host.filter = table;
  host.filter.track = host.track;
  host.filter.track_s = host.track_s;
  host.filter.track_e = host.track_e;
  host.filter.check = host.check;
  host.filter.exfunc = &host.exfunc;
  host.filter.dll_hinst = GetModuleHandleA(nullptr);
}

void stop_fake_host() { running = nullptr; }
