#pragma once
// The host's records and callbacks as the plug-in sees them (32-bit Windows).
// Only the members the plug-in touches are named; the rest are padding of the
// right size. The static_asserts pin every offset the host relies on.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "abi.h"
#include "pixel.h"

struct FILTER;
struct SYS_INFO;

struct FILTER_PROC_INFO {
  int flag;
  PIXEL_YC* ycp_edit;  // the frame buffer the filter rewrites
  PIXEL_YC* ycp_temp;
  int w;  // image width; read back as the output width
  int h;
  int max_w;  // buffer width in pixels
  int max_h;  // buffer height in rows
  int frame;
  int frame_n;
  int org_w;
  int org_h;
  int16_t* audiop;
  int audio_n;
  int audio_ch;
  void* pixelp;
  void* editp;
  int yc_size;
  int line_size;
  int reserve[8];
};

struct SYS_INFO {
  int flag;
  char* info;
  int filter_n;
  int min_w;
  int min_h;
  int max_w;
  int max_h;
  int max_frame;
  char* edit_name;
  char* project_name;
  char* output_name;
  int vram_w;
  int vram_h;
  int vram_yc_size;
  int vram_line_size;
  HFONT hfont;
  int build;
  int reserve[2];
};

// Function table of the host; only the slots the plug-in calls are named.
struct EXFUNC {
  void* slots_0_20[21];
  BOOL(__cdecl* filter_window_update)(void* fp);  // 21
  void* slots_22_24[3];
  BOOL(__cdecl* is_filter_active)(void* fp);  // 25
  void* slots_26_33[8];
  int(__cdecl* ini_load_int)(void* fp, char* key, int default_value);  // 34
  int(__cdecl* ini_save_int)(void* fp, char* key, int value);          // 35
  void* slots_36_39[4];
  BOOL(__cdecl* get_sys_info)(void* editp, SYS_INFO* sip);  // 40
  void* slots_41_50[10];
  BOOL(__cdecl* exec_multi_thread_func)
  (MULTI_THREAD_FUNC func, void* param1, void* param2);  // 51
};

// The plug-in's static table and the filter pointer of every callback. The
// host's interface calls the table FILTER_DLL and the pointer FILTER, but
// both have this one layout, so one record serves for both.
struct FILTER {
  int flag;
  int x;
  int y;
  char* name;
  int track_n;
  char** track_name;
  int* track_default;
  int* track_s;  // minimums
  int* track_e;  // maximums
  int check_n;
  char** check_name;
  int* check_default;
  BOOL(__cdecl* func_proc)(FILTER* fp, FILTER_PROC_INFO* fpip);
  BOOL(__cdecl* func_init)(FILTER* fp);
  BOOL(__cdecl* func_exit)(FILTER* fp);
  BOOL(__cdecl* func_update)(FILTER* fp, int status);
  BOOL(__cdecl* func_WndProc)
  (HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* editp, FILTER* fp);
  int* track;  // current track values (host)
  int* check;  // current check values (host)
  void* ex_data_ptr;
  int ex_data_size;
  char* information;
  void* func_save_start;
  void* func_save_end;
  EXFUNC* exfunc;       // host
  HWND hwnd;            // host: the filter window
  HINSTANCE dll_hinst;  // host
  void* ex_data_def;
  void* func_is_saveframe;
  void* func_project_load;
  void* func_project_save;
  void* func_modify_title;
  char* dll_path;
  int reserve[2];
};

constexpr int FILTER_FLAG_EX_INFORMATION = 0x40000;

constexpr UINT WM_FILTER_UPDATE = WM_USER + 100;
constexpr UINT WM_FILTER_INIT = WM_USER + 103;
constexpr UINT WM_FILTER_EXIT = WM_USER + 104;
constexpr UINT WM_FILTER_CHANGE_ACTIVE = WM_USER + 109;

#if defined(__i386__)
static_assert(sizeof(FILTER_PROC_INFO) == 104);
static_assert(offsetof(FILTER_PROC_INFO, ycp_edit) == 4);
static_assert(offsetof(FILTER_PROC_INFO, ycp_temp) == 8);
static_assert(offsetof(FILTER_PROC_INFO, w) == 12);
static_assert(offsetof(FILTER_PROC_INFO, h) == 16);
static_assert(offsetof(FILTER_PROC_INFO, max_w) == 20);
static_assert(offsetof(FILTER_PROC_INFO, max_h) == 24);
static_assert(offsetof(FILTER_PROC_INFO, frame) == 28);
static_assert(offsetof(FILTER_PROC_INFO, org_w) == 36);
static_assert(offsetof(FILTER_PROC_INFO, audiop) == 44);
static_assert(offsetof(FILTER_PROC_INFO, pixelp) == 56);
static_assert(offsetof(FILTER_PROC_INFO, editp) == 60);
static_assert(offsetof(FILTER_PROC_INFO, yc_size) == 64);
static_assert(offsetof(FILTER_PROC_INFO, line_size) == 68);
static_assert(offsetof(FILTER_PROC_INFO, reserve) == 72);

static_assert(sizeof(SYS_INFO) == 76);
static_assert(offsetof(SYS_INFO, min_w) == 12);
static_assert(offsetof(SYS_INFO, min_h) == 16);
static_assert(offsetof(SYS_INFO, max_w) == 20);
static_assert(offsetof(SYS_INFO, max_h) == 24);
static_assert(offsetof(SYS_INFO, edit_name) == 32);
static_assert(offsetof(SYS_INFO, vram_w) == 44);
static_assert(offsetof(SYS_INFO, hfont) == 60);
static_assert(offsetof(SYS_INFO, build) == 64);
static_assert(offsetof(SYS_INFO, reserve) == 68);

static_assert(offsetof(EXFUNC, filter_window_update) == 84);
static_assert(offsetof(EXFUNC, is_filter_active) == 100);
static_assert(offsetof(EXFUNC, ini_load_int) == 136);
static_assert(offsetof(EXFUNC, ini_save_int) == 140);
static_assert(offsetof(EXFUNC, get_sys_info) == 160);
static_assert(offsetof(EXFUNC, exec_multi_thread_func) == 204);
static_assert(sizeof(EXFUNC) == 208);

static_assert(sizeof(FILTER) == 140);
static_assert(offsetof(FILTER, x) == 4);
static_assert(offsetof(FILTER, y) == 8);
static_assert(offsetof(FILTER, name) == 12);
static_assert(offsetof(FILTER, track_n) == 16);
static_assert(offsetof(FILTER, track_name) == 20);
static_assert(offsetof(FILTER, track_default) == 24);
static_assert(offsetof(FILTER, track_s) == 28);
static_assert(offsetof(FILTER, track_e) == 32);
static_assert(offsetof(FILTER, check_n) == 36);
static_assert(offsetof(FILTER, check_name) == 40);
static_assert(offsetof(FILTER, check_default) == 44);
static_assert(offsetof(FILTER, func_proc) == 48);
static_assert(offsetof(FILTER, func_init) == 52);
static_assert(offsetof(FILTER, func_exit) == 56);
static_assert(offsetof(FILTER, func_update) == 60);
static_assert(offsetof(FILTER, func_WndProc) == 64);
static_assert(offsetof(FILTER, track) == 68);
static_assert(offsetof(FILTER, check) == 72);
static_assert(offsetof(FILTER, ex_data_ptr) == 76);
static_assert(offsetof(FILTER, ex_data_size) == 80);
static_assert(offsetof(FILTER, information) == 84);
static_assert(offsetof(FILTER, func_save_start) == 88);
static_assert(offsetof(FILTER, func_save_end) == 92);
static_assert(offsetof(FILTER, exfunc) == 96);
static_assert(offsetof(FILTER, hwnd) == 100);
static_assert(offsetof(FILTER, dll_hinst) == 104);
static_assert(offsetof(FILTER, ex_data_def) == 108);
static_assert(offsetof(FILTER, func_is_saveframe) == 112);
static_assert(offsetof(FILTER, dll_path) == 128);
static_assert(offsetof(FILTER, reserve) == 132);
#endif
