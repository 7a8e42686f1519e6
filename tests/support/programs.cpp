#include "programs.h"

#include <windows.h>

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
