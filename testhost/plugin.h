#pragma once
// A filter plug-in loaded as the editor loads one: LoadLibraryA, GetFilterTable,
// the host's members filled in, and every callback entered on a misaligned stack.
#include <string>

#include "filter_abi.h"

struct PLUGIN {
  HMODULE module;
  FILTER* table;
};

// Loads the library, calls GetFilterTable and attaches the table to the test
// host (attach_filter). False, with a message, when the file does not load or
// has no GetFilterTable, or that returns null.
bool load_plugin(const std::string& path, PLUGIN& plugin, std::string& error);

// The callbacks; each answers the callback's result, or -1 when the table
// does not set it.
int call_func_init(const PLUGIN& plugin);
int call_func_proc(const PLUGIN& plugin, FILTER_PROC_INFO* fpip);
int call_func_exit(const PLUGIN& plugin);

// FreeLibrary; the table is gone afterwards.
void unload_plugin(PLUGIN& plugin);
