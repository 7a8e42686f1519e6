#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "resize.h"

std::string dos_path(const char* unix_path) {
  // Wine's own conversion; outside Wine the path is taken as it is.
  using TO_DOS = WCHAR*(CDECL*)(const char*);
  const auto to_dos = reinterpret_cast<TO_DOS>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")));
  if (!to_dos) return unix_path;
  WCHAR* wide = to_dos(unix_path);
  if (!wide) return unix_path;
  char narrow[MAX_PATH * 2];
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return narrow;
}

int run_program(const std::string& command_line, std::string& output) {
  output.clear();
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end, write_end;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return -1;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  PROCESS_INFORMATION process{};
  std::string line = command_line;
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(write_end);
  if (!started) {
    CloseHandle(read_end);
    return -1;
  }
  // Read while the program runs and stop when it has ended, rather than at
  // the pipe's end: a program that uses windows makes Wine start a desktop
  // process, which inherits the pipe and keeps it open a second longer.
  char chunk[4096];
  DWORD got;
  for (bool ended = false;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(read_end, nullptr, 0, nullptr, &available, nullptr))
      break;  // closed: all read
    if (available > 0) {
      if (!ReadFile(read_end, chunk, available < sizeof chunk ? available : sizeof chunk, &got,
                    nullptr))
        break;
      output.append(chunk, got);
      continue;
    }
    if (ended) break;  // everything it wrote before its end has been read
    ended = WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0;
  }
  CloseHandle(read_end);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::vector<PIXEL_YC> test_image(int w, int h, uint32_t seed) {
  std::vector<PIXEL_YC> image(static_cast<size_t>(w) * h);
  uint32_t state = seed * 2654435761u + 1;
  auto noise = [&] {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>(state >> 24) - 128;
  };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double u = x * 0.09 + seed, v = y * 0.13;
      PIXEL_YC& p = image[static_cast<size_t>(y) * w + x];
      p.y = static_cast<int16_t>(2048 + 2200 * std::sin(u) * std::cos(v) + noise());
      p.cb = static_cast<int16_t>(1900 * std::sin(0.7 * u + v) + noise());
      p.cr = static_cast<int16_t>(2100 * std::cos(u - 0.5 * v) + noise());
    }
  }
  return image;
}

std::vector<PIXEL_YC> engine_resize(const std::vector<PIXEL_YC>& image, int w, int h, int target_w,
                                    int target_h, bool vertical_first) {
  const int max_w = std::max(w, target_w), max_h = std::max(h, target_h);
  std::vector<PIXEL_YC> buffer(static_cast<size_t>(max_w) * max_h);
  for (int y = 0; y < h; ++y)
    std::copy_n(&image[static_cast<size_t>(y) * w], w, &buffer[static_cast<size_t>(y) * max_w]);
  FRAME frame{buffer.data(), w, h, max_w, max_h};
  if (resize_frame(frame, target_w, target_h, vertical_first, nullptr) != 1) return {};
  std::vector<PIXEL_YC> result(static_cast<size_t>(frame.w) * frame.h);
  for (int y = 0; y < frame.h; ++y)
    std::copy_n(&buffer[static_cast<size_t>(y) * max_w], frame.w,
                &result[static_cast<size_t>(y) * frame.w]);
  return result;
}

bool write_pixels(const std::string& path, const std::vector<PIXEL_YC>& pixels) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok =
      std::fwrite(pixels.data(), sizeof(PIXEL_YC), pixels.size(), file) == pixels.size();
  return std::fclose(file) == 0 && ok;
}

bool read_pixels(const std::string& path, std::vector<PIXEL_YC>& pixels) {
  pixels.clear();
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  PIXEL_YC p;
  while (std::fread(&p, sizeof p, 1, file) == 1) pixels.push_back(p);
  std::fclose(file);
  return true;
}

std::string first_difference(const std::vector<PIXEL_YC>& expected,
                             const std::vector<PIXEL_YC>& actual, int w) {
  if (expected.size() != actual.size())
    return "sizes differ: " + std::to_string(expected.size()) + " pixels expected, " +
           std::to_string(actual.size()) + " found";
  for (size_t i = 0; i < expected.size(); ++i) {
    const int16_t e[3] = {expected[i].y, expected[i].cb, expected[i].cr};
    const int16_t a[3] = {actual[i].y, actual[i].cb, actual[i].cr};
    for (int s = 0; s < 3; ++s) {
      if (e[s] != a[s]) {
        static const char* names[] = {"y", "cb", "cr"};
        return "pixel (" + std::to_string(i % w) + ", " + std::to_string(i / w) + ") " + names[s] +
               ": expected " + std::to_string(e[s]) + ", found " + std::to_string(a[s]);
      }
    }
  }
  return "";
}
