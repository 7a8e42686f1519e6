#pragma once
// SIZE_COMBO on a real drop-down combo box: each operation is one message.
#include <windows.h>

#include "size_combo.h"

struct WIN32_COMBO final : SIZE_COMBO {
  explicit WIN32_COMBO(HWND combo) : window(combo) {}

  HWND window;

  int find_exact(const char* text) override;
  int count() override;
  void delete_first() override;
  int add(const char* text) override;
  void set_item_size(int index, int32_t packed) override;
  int32_t item_size(int index) override;
  void select(int index) override;
  int selection() override;
  int get_text(char (&text)[combo_text_size]) override;
  void set_text(const char* text) override;
};
