#include "screenshot.h"

#include <cstdio>
#include <vector>

#include "pending_file.h"

namespace {

bool write_bitmap_file(const std::string& path, int w, int h, const std::vector<BYTE>& rows,
                       std::string& error) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;  // rows from the bottom up
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(rows.size());
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + info.biSizeImage;

  if (replace_file(path, [&](FILE* file) {
        return std::fwrite(&header, sizeof header, 1, file) == 1 &&
               std::fwrite(&info, sizeof info, 1, file) == 1 &&
               std::fwrite(rows.data(), 1, rows.size(), file) == rows.size();
      }))
    return true;
  error = "cannot write '" + path + "'";
  return false;
}

}  // namespace

bool save_window_bitmap(HWND window, const std::string& path, std::string& error) {
  RECT r{};
  if (!window || !GetClientRect(window, &r) || r.right < 1 || r.bottom < 1) {
    error = "no window to save";
    return false;
  }
  const int w = r.right, h = r.bottom;
  HDC window_dc = GetDC(window);
  HDC memory_dc = CreateCompatibleDC(window_dc);
  HBITMAP bitmap = CreateCompatibleBitmap(window_dc, w, h);
  HGDIOBJ before = SelectObject(memory_dc, bitmap);
  const bool copied = BitBlt(memory_dc, 0, 0, w, h, window_dc, 0, 0, SRCCOPY) != 0;
  SelectObject(memory_dc, before);

  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = w;
  format.bmiHeader.biHeight = h;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  const size_t pitch = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
  std::vector<BYTE> rows(pitch * static_cast<size_t>(h));
  const bool read = copied && GetDIBits(memory_dc, bitmap, 0, static_cast<UINT>(h), rows.data(),
                                        &format, DIB_RGB_COLORS) == h;
  DeleteObject(bitmap);
  DeleteDC(memory_dc);
  ReleaseDC(window, window_dc);
  if (!read) {
    error = "cannot read the window's pixels";
    return false;
  }
  return write_bitmap_file(path, w, h, rows, error);
}
