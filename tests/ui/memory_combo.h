#pragma once
// A size combo box without Windows: the list, the selection and the edit text
// in plain memory, behaving as the platform's drop-down combo box does for the
// operations of SIZE_COMBO. An edit by the user (type_text) drops the
// selection, while set_text, like the control's WM_SETTEXT, leaves it;
// selecting an index outside the list selects none and empties the text; text
// search ignores ASCII case, as the control's exact search does.
#include <cstdint>
#include <string>
#include <vector>

#include "size_combo.h"

struct MEMORY_COMBO final : SIZE_COMBO {
  struct ENTRY {
    std::string text;
    int32_t packed;
  };

  std::vector<ENTRY> entries;
  int selected = combo_error;
  std::string edit_text;
  // When nonzero, add() appends nothing and returns this (combo_error or combo_no_space).
  int refuse_add = 0;

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

  // The user types or pastes `text` over the whole field with the list closed.
  void type_text(const char* text);
};
