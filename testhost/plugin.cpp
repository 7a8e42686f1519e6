#include "plugin.h"

#include "misaligned_call.h"
#include "test_host.h"

bool load_plugin(const std::string& path, PLUGIN& plugin, std::string& error) {
  plugin = PLUGIN{};
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    error = "cannot load '" + path + "' (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  FARPROC entry = GetProcAddress(module, "GetFilterTable");
  if (!entry) {
    error = "'" + path + "' exports no GetFilterTable";
    FreeLibrary(module);
    return false;
  }
  auto* table = reinterpret_cast<FILTER*>(call_misaligned(as_code(entry), STACK_SKEW::by4));
  if (!table) {
    error = "GetFilterTable of '" + path + "' returned null";
    FreeLibrary(module);
    return false;
  }
  plugin.module = module;
  plugin.table = table;
  attach_filter(table, module);
  return true;
}

int call_func_init(const PLUGIN& plugin) {
  if (!plugin.table->func_init) return -1;
  return static_cast<int>(
      call_misaligned(as_code(plugin.table->func_init), STACK_SKEW::by4, as_arg(plugin.table)));
}

int call_func_proc(const PLUGIN& plugin, FILTER_PROC_INFO* fpip) {
  if (!plugin.table->func_proc) return -1;
  return static_cast<int>(call_misaligned(as_code(plugin.table->func_proc), STACK_SKEW::by8,
                                          as_arg(plugin.table), as_arg(fpip)));
}

int call_func_exit(const PLUGIN& plugin) {
  if (!plugin.table->func_exit) return -1;
  return static_cast<int>(
      call_misaligned(as_code(plugin.table->func_exit), STACK_SKEW::by12, as_arg(plugin.table)));
}

void unload_plugin(PLUGIN& plugin) {
  if (plugin.module) FreeLibrary(plugin.module);
  plugin = PLUGIN{};
}
