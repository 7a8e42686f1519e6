#pragma once
// Settings in a map, remembering which keys were read and written in order.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "size_settings.h"

struct MEMORY_SETTINGS final : SIZE_SETTINGS {
  std::map<std::string, int32_t> values;
  std::vector<std::string> loaded;
  std::vector<std::pair<std::string, int32_t>> saved;

  int32_t load_int(const char* key, int32_t default_value) override {
    loaded.emplace_back(key);
    const auto found = values.find(key);
    return found == values.end() ? default_value : found->second;
  }
  void save_int(const char* key, int32_t value) override {
    saved.emplace_back(key, value);
    values[key] = value;
  }
};
