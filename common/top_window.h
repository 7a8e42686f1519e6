#pragma once
// Top-level windows as the test host and the tests make them: a class with
// the dialog background, a client area of an exact size whatever frame the
// system draws around it, and the pump for the messages they send.
#include <windows.h>

// Registers the class `name` with `procedure` once per process; false when
// that fails.
bool register_window_class(const char* name, WNDPROC procedure);

// A top-level window of that class at (40, 40) with a client area of
// client_w x client_h, hidden. Null when it cannot be made (GetLastError
// says why); a client area of another size when the system refuses that one.
HWND create_top_window(const char* class_name, const char* title, DWORD style, int client_w,
                       int client_h);

// Handles every message waiting in this thread's queue.
void pump_messages();
