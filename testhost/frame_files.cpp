#include "frame_files.h"

#include <cstdio>

#include "pending_file.h"
#include "yc48_file.h"

bool read_frame_file(const std::string& path, int w, int h, std::vector<PIXEL_YC>& pixels,
                     std::string& error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open '" + path + "'";
    return false;
  }
  pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), PIXEL_YC{});
  const YC48_READ read = read_yc48(file, pixels.data(), w, h, w);
  std::fclose(file);
  if (read.read_error || read.length != yc48_frame_bytes(w, h)) {
    error = "'" + path + "' is not a " + std::to_string(w) + "x" + std::to_string(h) + " frame (" +
            std::to_string(yc48_frame_bytes(w, h)) + " bytes expected)";
    return false;
  }
  return true;
}

bool write_frame_file(const std::string& path, const PIXEL_YC* first, int w, int h, int pitch,
                      std::string& error) {
  if (replace_file(path, [&](FILE* file) { return write_yc48(file, first, w, h, pitch); }))
    return true;
  error = "cannot write '" + path + "'";
  return false;
}
