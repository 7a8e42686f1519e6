#pragma once
// Window procedure of the size combo box's edit field: applies the keystroke
// rule (see keystroke_rule.h) to typed characters, takes pasted and sent text
// whole or not at all (whole_insertion.h), and hands everything it lets
// through to the field's previous procedure, size_controls.edit_proc.
#include <windows.h>

#include "abi.h"

HOST_ENTRY LRESULT CALLBACK size_edit_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
