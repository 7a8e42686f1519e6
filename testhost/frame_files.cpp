#include "frame_files.h"

#include <cstdio>
#include <new>

#include "frame_run.h"
#include "pending_file.h"
#include "yc48_file.h"

namespace {

// The file's length, or -1 when it cannot be told (a pipe); the position
// goes back to the start.
int64_t file_length(FILE* file) {
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  const int64_t length = _ftelli64(file);
  return _fseeki64(file, 0, SEEK_SET) == 0 ? length : -1;
}

}  // namespace

bool read_frame_file(const std::string& path, int w, int h, std::vector<PIXEL_YC>& pixels,
                     std::string& error) {
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  const uint64_t bytes = yc48_frame_bytes(w, h);
  if (bytes == 0 || bytes > most_buffer_bytes) {
    error = "a " + size + " frame does not fit a buffer of the test host (at most " +
            std::to_string(most_buffer_bytes) + " bytes)";
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open '" + path + "'";
    return false;
  }
  const std::string wrong =
      "'" + path + "' is not a " + size + " frame (" + std::to_string(bytes) + " bytes expected";
  // What the file holds is known before any memory is taken for it.
  const int64_t length = file_length(file);
  if (length >= 0 && static_cast<uint64_t>(length) != bytes) {
    std::fclose(file);
    error = wrong + ", the file holds " + std::to_string(length) + ")";
    return false;
  }
  try {
    pixels.assign(static_cast<size_t>(bytes / sizeof(PIXEL_YC)), PIXEL_YC{});
  } catch (const std::bad_alloc&) {
    std::fclose(file);
    error = "no memory for a " + size + " frame (" + std::to_string(bytes) + " bytes)";
    return false;
  }
  const YC48_READ read = read_yc48(file, pixels.data(), w, h, w);
  std::fclose(file);
  if (read.read_error || read.length != bytes) {
    error = wrong + ")";
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
