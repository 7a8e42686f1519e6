#pragma once
// The size controls as the host drives them: a fake host (its filter record
// and settings), a top-level filter window whose procedure hands every
// message to the plug-in's handle_window_message and counts the nonzero
// results (each one a redraw of the current frame), a check box captioned
// like the host's, and helpers that type into the real edit field.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "top_window.h"

// The fake host with its filter window, and what that window saw.
struct WINDOW_HOST : FAKE_HOST {
  HWND window = nullptr;
  HWND check_box = nullptr;
  BOOL last_result = 0;    // of the last message handed to the filter
  int redraws = 0;         // nonzero results
  int combo_commands = 0;  // WM_COMMAND from control id 0 (the combo box's notifications)
};

// Where a child window sits in its parent's client area.
struct PLACE {
  int x, y, width, height;
  bool operator==(const PLACE&) const = default;
};
void PrintTo(const PLACE& p, std::ostream* os);
PLACE place_of(HWND child);

// What a child of the filter window was created with.
struct CREATED {
  std::string window_class, text;
  PLACE place;
  DWORD style, ex_style;
  INT_PTR id;
  HINSTANCE instance;
};

// While it lives, records every child window created in the filter window
// and refuses those of class `refused_class` (none when null).
class CREATION_WATCH {
 public:
  explicit CREATION_WATCH(const char* refused_class = nullptr);
  ~CREATION_WATCH();
  CREATION_WATCH(const CREATION_WATCH&) = delete;
  CREATION_WATCH& operator=(const CREATION_WATCH&) = delete;

  std::vector<CREATED> created;

 private:
  HHOOK hook_;
};

class FilterWindowTest : public ::testing::Test {
 protected:
  WINDOW_HOST host;

  void SetUp() override;
  void TearDown() override;

  // Makes the filter window with the given client size and the check box at
  // (check_x, check_y), check_height high, captioned `caption`.
  void open_window(int client_width, int client_height, int check_x = 10, int check_y = 200,
                   int check_height = 20, const char* caption = nullptr);
  void close_window();

  // Sends a message to the filter window as the host would deliver it and
  // returns the filter's answer.
  BOOL deliver(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

  // Calls of filter_window_update with the host's filter record.
  int window_updates() const;

  // Posts each byte as WM_CHAR to the combo box's edit field and pumps the
  // queue until it is empty.
  void type_keys(const std::string& keys);
  std::string edit_text();
  std::vector<std::string> list_texts();
  int selection();
};
