#pragma once
// The host's per-plug-in settings as the size list reads and writes them.
#include <cstdint>

struct SIZE_SETTINGS {
  // The integer stored under `key`, or `default_value` when there is none.
  virtual int32_t load_int(const char* key, int32_t default_value) = 0;
  // Stores `value` under `key`; whether that worked is not reported.
  virtual void save_int(const char* key, int32_t value) = 0;

 protected:
  ~SIZE_SETTINGS() = default;
};
