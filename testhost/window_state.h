#pragma once
// What a person would check after a session with the filter window, printed
// as lines of text: the tracks and checks with the window's sliders, number
// fields and check boxes, the size list with its selection and edit text,
// every child window's rectangle, how often the frame was processed, the
// page memory the plug-in holds and its section of the settings file.
#include <windows.h>

#include <cstdio>
#include <string>

// The filter window's size combo box ("COMBOBOX" child), its edit field and
// the set button (control id 1202); null when the window has none.
HWND find_size_combo();
HWND find_size_field();
HWND find_set_button();

void print_window_state(FILE* out);

// The filter's section of the settings file: "[section] key=value, ...".
void print_settings(FILE* out);
