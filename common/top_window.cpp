#include "top_window.h"

bool register_window_class(const char* name, WNDPROC procedure) {
  WNDCLASSA existing;
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0;
}

HWND create_top_window(const char* class_name, const char* title, DWORD style, int client_w,
                       int client_h) {
  RECT outer{0, 0, client_w, client_h};
  AdjustWindowRect(&outer, style, FALSE);
  HWND window = CreateWindowExA(0, class_name, title, style, 40, 40, outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) return nullptr;
  // Should the frame differ from what AdjustWindowRect assumed, correct it once.
  RECT client{};
  GetClientRect(window, &client);
  if (client.right != client_w || client.bottom != client_h) {
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + client_w - client.right,
                 outer.bottom - outer.top + client_h - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return window;
}

void pump_messages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
