#pragma once
// Saves a window's client area as it is drawn on the screen, as a 24-bit BMP
// file. (The frame and title bar are left out: without a window manager, as
// under Xvfb, nobody draws them.) The file is written under a temporary name
// and renamed when complete, so a failure never leaves a partial file.
#include <windows.h>

#include <string>

bool save_window_bitmap(HWND window, const std::string& path, std::string& error);
