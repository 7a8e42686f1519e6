#pragma once
// A host in the test's own process for the plug-in's callbacks. Its EXFUNC
// keeps the settings in a map and records what the plug-in asks of it; its
// FILTER record, a copy of the plug-in's table, points at the host's tracks,
// checks, ranges and functions. One host runs at a time: the EXFUNC entries
// find it through start_fake_host. exec_multi_thread_func stays null unless a
// test sets it.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "filter_abi.h"

struct FAKE_HOST {
  // ini_load_int and ini_save_int: the values, and the keys in call order.
  std::map<std::string, int32_t> settings;
  std::vector<std::string> loaded;
  std::vector<std::pair<std::string, int32_t>> saved;

  // filter_window_update: the filter pointer of every call, and the answer.
  std::vector<void*> window_updates;
  BOOL window_update_answer = TRUE;

  BOOL active = TRUE;  // what is_filter_active answers

  // get_sys_info: its answer, the sizes it reports, and what it was handed.
  bool sys_info_ok = true;
  int min_w = 8, min_h = 9, max_w = 1000, max_h = 900;
  void* sys_info_editp = reinterpret_cast<void*>(1);
  bool sys_info_was_zero = false;

  int track[2] = {640, 480};
  int track_s[2] = {32, 32};
  int track_e[2] = {2048, 2048};
  int check[1] = {0};
  EXFUNC exfunc{};
  FILTER filter{};
};

// Makes `host` the running host with `table` as its filter record.
void start_fake_host(FAKE_HOST& host, const FILTER& table);
void stop_fake_host();
