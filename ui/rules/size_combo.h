#pragma once
// The few operations of the size combo box that the list rules use. The real
// control answers them with window messages; the tests' MEMORY_COMBO keeps a plain list.
// Both report no selection once the user has edited the text with the list
// closed; the rules rely on that to tell a typed size from a chosen entry.
#include <cstdint>

constexpr int combo_error = -1;      // no such entry, or the control failed
constexpr int combo_no_space = -2;   // an append refused for lack of memory
constexpr int combo_text_size = 64;  // text buffers hold 63 characters and a terminator

struct SIZE_COMBO {
  // Index of the first entry whose whole text equals `text`, or combo_error.
  virtual int find_exact(const char* text) = 0;
  virtual int count() = 0;
  // Removes entry 0; the others move up one place.
  virtual void delete_first() = 0;
  // Appends an entry; the new index, combo_error or combo_no_space.
  virtual int add(const char* text) = 0;
  virtual void set_item_size(int index, int32_t packed) = 0;
  // The packed size attached to an entry, or -1 when it cannot be read.
  virtual int32_t item_size(int index) = 0;
  // Selects an entry and shows its text; an index outside the list selects none.
  virtual void select(int index) = 0;
  // The selected index, or combo_error for none.
  virtual int selection() = 0;
  // Copies at most 63 characters of the edit text, terminated; returns the count.
  virtual int get_text(char (&text)[combo_text_size]) = 0;
  // Replaces the edit text (the program's change, not the user's edit).
  virtual void set_text(const char* text) = 0;

 protected:
  ~SIZE_COMBO() = default;
};
