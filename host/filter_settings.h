#pragma once
// SIZE_SETTINGS through the host's ini_load_int and ini_save_int, which keep
// the values in the filter's own section of the host's settings file.
#include "filter_abi.h"
#include "size_settings.h"

struct FILTER_SETTINGS final : SIZE_SETTINGS {
  explicit FILTER_SETTINGS(FILTER* filter) : filter(filter) {}

  FILTER* filter;

  int32_t load_int(const char* key, int32_t default_value) override;
  void save_int(const char* key, int32_t value) override;
};
