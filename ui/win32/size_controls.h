#pragma once
// The size controls that the filter adds to the host's filter window: the
// size combo box with its list and keystroke rule, and the "set->" button
// beside the host's check box, which is narrowed to make room. The windows
// are children of the filter window and end with it; the font is ours.
#include <windows.h>

#include "size_host.h"

constexpr int set_button_id = 1202;

struct SIZE_CONTROLS {
  HFONT font;         // font of both controls, made at window start
  HWND edit_field;    // the combo box's edit field, once the keystroke rule is on it
  HWND combo;         // the size combo box
  HWND button;        // the set button
  WNDPROC edit_proc;  // the edit field's previous window procedure
};

// All members 0 while the filter window has no size controls.
extern SIZE_CONTROLS size_controls;

// Narrows the check box captioned `check_caption` to half the client width
// and puts the set button and the size combo box, its list loaded from the
// host's settings, in the room freed at the bottom right. Returns 1 when all
// is built; 0 when there is no such check box (nothing changed) or a control
// could not be made (left partly built: see destroy_size_controls).
int create_size_controls(HWND window, const SIZE_HOST& host, const char* check_caption);

// Sets size_controls.font, unless one is held: the system's message font, or
// the stock DEFAULT_GUI_FONT when that cannot be had.
void create_dialog_font();

// Gives the edit field its procedure back, saves the list to `settings` while
// the combo box exists (whether or not the rest was built), deletes the font
// and clears size_controls. Returns 1.
int destroy_size_controls(SIZE_SETTINGS& settings);

// Whether a WM_COMMAND with this wparam is a click of the set button (the
// combo box, id 0, sends its notifications the same way).
bool is_set_button_click(WPARAM wparam);

// Clamps the size the set button applies (see read_selected_size) into both
// track ranges, writes the width and height tracks and returns the host's
// update_window answer; returns 0 and leaves the tracks alone when there is
// no size.
int apply_size(const SIZE_HOST& host);
