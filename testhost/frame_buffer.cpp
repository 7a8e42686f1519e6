#include "frame_buffer.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

bool allocate_guarded_buffer(int max_w, int max_h, GUARDED_BUFFER& buffer, std::string& error) {
  buffer = GUARDED_BUFFER{};
  const uint64_t bytes =
      uint64_t{sizeof(PIXEL_YC)} * static_cast<uint64_t>(max_w) * static_cast<uint64_t>(max_h);
  if (max_w < 1 || max_h < 1 || bytes > (uint64_t{1} << 30)) {
    error =
        "buffer " + std::to_string(max_w) + "x" + std::to_string(max_h) + " is not a usable size";
    return false;
  }
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const size_t page = system.dwPageSize;
  const size_t data_pages = (static_cast<size_t>(bytes) + page - 1) / page * page;
  auto* region = static_cast<uint8_t*>(
      VirtualAlloc(nullptr, data_pages + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  DWORD old_protection;
  if (!region || !VirtualProtect(region + data_pages, page, PAGE_NOACCESS, &old_protection)) {
    if (region) VirtualFree(region, 0, MEM_RELEASE);
    error = "cannot allocate a buffer of " + std::to_string(max_w) + "x" + std::to_string(max_h);
    return false;
  }
  buffer.region = region;
  buffer.pixels = reinterpret_cast<PIXEL_YC*>(region + data_pages - static_cast<size_t>(bytes));
  buffer.max_w = max_w;
  buffer.max_h = max_h;
  return true;
}

void free_guarded_buffer(GUARDED_BUFFER& buffer) {
  if (buffer.region) VirtualFree(buffer.region, 0, MEM_RELEASE);
  buffer = GUARDED_BUFFER{};
}

bool read_yc48(const std::string& path, int w, int h, std::vector<PIXEL_YC>& pixels,
               std::string& error) {
  const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open '" + path + "'";
    return false;
  }
  pixels.assign(count, PIXEL_YC{});
  const size_t got = std::fread(pixels.data(), sizeof(PIXEL_YC), count, file);
  const bool more = std::fgetc(file) != EOF;
  std::fclose(file);
  if (got != count || more) {
    error = "'" + path + "' is not a " + std::to_string(w) + "x" + std::to_string(h) + " frame (" +
            std::to_string(sizeof(PIXEL_YC) * count) + " bytes expected)";
    return false;
  }
  return true;
}

bool write_whole_file(const std::string& path, const std::function<bool(FILE*)>& write,
                      std::string& error) {
  const std::string temporary = path + ".part";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  bool ok = file != nullptr && write(file);
  if (file && std::fclose(file) != 0) ok = false;
  if (ok) ok = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  if (!ok) {
    DeleteFileA(temporary.c_str());
    error = "cannot write '" + path + "'";
  }
  return ok;
}

bool write_yc48(const std::string& path, const PIXEL_YC* first, int w, int h, int pitch,
                std::string& error) {
  return write_whole_file(
      path,
      [&](FILE* file) {
        for (int row = 0; row < h; ++row)
          if (std::fwrite(first + static_cast<size_t>(row) * pitch, sizeof(PIXEL_YC), w, file) !=
              static_cast<size_t>(w))
            return false;
        return true;
      },
      error);
}

std::vector<PIXEL_YC> make_test_card(int w, int h) {
  std::vector<PIXEL_YC> pixels(static_cast<size_t>(w > 0 ? w : 0) *
                               static_cast<size_t>(h > 0 ? h : 0));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      PIXEL_YC& p = pixels[static_cast<size_t>(y) * w + x];
      const bool grid = x % 16 == 0 || y % 16 == 0;
      p.y = static_cast<int16_t>(grid ? 4096 : 4096 * x / (w > 1 ? w - 1 : 1));
      p.cb = static_cast<int16_t>(-2048 + 4096 * y / (h > 1 ? h - 1 : 1));
      p.cr = static_cast<int16_t>(2048 - 4096 * y / (h > 1 ? h - 1 : 1));
    }
  }
  return pixels;
}
