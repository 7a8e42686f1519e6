#include "filter_settings.h"

#include <cstring>

#include "size_combo.h"

namespace {

// The host's functions take the key as a mutable string; give them a copy.
struct KEY_COPY {
  explicit KEY_COPY(const char* key) {
    std::strncpy(text, key, sizeof text - 1);
    text[sizeof text - 1] = '\0';
  }
  char text[combo_text_size];
};

}  // namespace

int32_t FILTER_SETTINGS::load_int(const char* key, int32_t default_value) {
  KEY_COPY copy(key);
  return filter->exfunc->ini_load_int(filter, copy.text, default_value);
}

void FILTER_SETTINGS::save_int(const char* key, int32_t value) {
  KEY_COPY copy(key);
  filter->exfunc->ini_save_int(filter, copy.text, value);
}
