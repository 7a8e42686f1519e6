#include "table_dump.h"

#include <cstring>

namespace {

// The bytes of a code page 932 text in hex ("4D 6F ...").
std::string hex_bytes(const char* text) {
  std::string hex;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%s%02X", hex.empty() ? "" : " ", *p);
    hex += byte;
  }
  return hex;
}

}  // namespace

std::string cp932_to_utf8(const char* text) {
  const int length = static_cast<int>(std::strlen(text));
  if (length == 0) return {};
  const int wide_length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(wide_length, L'\0');
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text, length, wide.data(), wide_length);
  const int utf8_length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string utf8(utf8_length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8.data(), utf8_length, nullptr,
                      nullptr);
  return utf8;
}

namespace {

void print_text(FILE* out, const char* label, const char* text) {
  if (!text) {
    std::fprintf(out, "%s: null\n", label);
    return;
  }
  std::fprintf(out, "%s: %s \"%s\"\n", label, hex_bytes(text).c_str(), cp932_to_utf8(text).c_str());
}

const char* set_or_null(const void* p) { return p ? "set" : "null"; }

int value_at(const int* values, int i) { return values ? values[i] : 0; }

}  // namespace

void print_filter_table(const FILTER& table, FILE* out) {
  std::fprintf(out, "table: %p\n", static_cast<const void*>(&table));
  std::fprintf(out, "flag: 0x%08X%s\n", static_cast<unsigned>(table.flag),
               table.flag & FILTER_FLAG_EX_INFORMATION ? " (FILTER_FLAG_EX_INFORMATION)" : "");
  std::fprintf(out, "window: x %d, y %d\n", table.x, table.y);
  print_text(out, "name", table.name);
  std::fprintf(out, "tracks: %d\n", table.track_n);
  for (int i = 0; i < table.track_n; ++i) {
    char label[32];
    std::snprintf(label, sizeof label, "  track %d name", i);
    print_text(out, label, table.track_name ? table.track_name[i] : nullptr);
    std::fprintf(out, "  track %d default %d, range %d..%d\n", i, value_at(table.track_default, i),
                 value_at(table.track_s, i), value_at(table.track_e, i));
  }
  std::fprintf(out, "checks: %d\n", table.check_n);
  for (int i = 0; i < table.check_n; ++i) {
    char label[32];
    std::snprintf(label, sizeof label, "  check %d name", i);
    print_text(out, label, table.check_name ? table.check_name[i] : nullptr);
    std::fprintf(out, "  check %d default %d\n", i, value_at(table.check_default, i));
  }
  print_text(out, "information",
             table.flag & FILTER_FLAG_EX_INFORMATION ? table.information : nullptr);
  std::fprintf(out,
               "func_proc: %s\nfunc_init: %s\nfunc_exit: %s\nfunc_update: %s\nfunc_WndProc: %s\n",
               set_or_null(reinterpret_cast<const void*>(table.func_proc)),
               set_or_null(reinterpret_cast<const void*>(table.func_init)),
               set_or_null(reinterpret_cast<const void*>(table.func_exit)),
               set_or_null(reinterpret_cast<const void*>(table.func_update)),
               set_or_null(reinterpret_cast<const void*>(table.func_WndProc)));
}

void print_track_ranges(const FILTER& table, FILE* out) {
  for (int i = 0; i < table.track_n; ++i)
    std::fprintf(out, "  track %d range %d..%d, default %d\n", i, value_at(table.track_s, i),
                 value_at(table.track_e, i), value_at(table.track_default, i));
}
