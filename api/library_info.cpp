// What the library says about itself: its version, the text of each status,
// the kernel variants it runs here, the default options.
#include "kernels.h"
#include "morvane.h"

#define MORVANE_TEXT(x) #x
#define MORVANE_VERSION_TEXT(major, minor, patch) \
  MORVANE_TEXT(major) "." MORVANE_TEXT(minor) "." MORVANE_TEXT(patch)

extern "C" int morvane_version(void) { return MORVANE_VERSION; }

extern "C" const char* morvane_version_text(void) {
  return MORVANE_VERSION_TEXT(MORVANE_VERSION_MAJOR, MORVANE_VERSION_MINOR, MORVANE_VERSION_PATCH);
}

extern "C" const char* morvane_status_text(int status) {
  switch (status) {
    case MORVANE_OK:
      return "done";
    case MORVANE_ERROR_NULL_POINTER:
      return "a buffer pointer is null";
    case MORVANE_ERROR_SIZE:
      return "a width or height is zero or negative";
    case MORVANE_ERROR_SIZE_LIMIT:
      return "a width or height is above 65535";
    case MORVANE_ERROR_STRIDE:
      return "a stride is smaller than a row or not a whole number of samples";
    case MORVANE_ERROR_DEPTH:
      return "the depth is not 8, 10, 12 or 16 bits";
    case MORVANE_ERROR_OVERFLOW:
      return "a buffer's size in bytes does not fit in the address space";
    case MORVANE_ERROR_OVERLAP:
      return "the source and the target share bytes";
    case MORVANE_ERROR_OPTION:
      return "an option is out of range (threads 1 to 64, flags 0 or 1)";
    case MORVANE_ERROR_KERNELS:
      return "no such kernel variant on this processor";
    case MORVANE_ERROR_MEMORY:
      return "out of memory for the work buffers or threads";
    case MORVANE_ERROR_COUNT:
      return "the plane count is not 1 to 4";
    case MORVANE_ERROR_GRID:
      return "an axis's offset is not 0 to 1, or its spans not 1 to 65535";
    default:
      return "unknown status";
  }
}

extern "C" const char* morvane_kernel_name(int index) {
  int i = 0;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v, ++i)
    if (i == index) return (*v)->name;
  return nullptr;
}

extern "C" void morvane_options_init(morvane_options* options) {
  if (options) *options = morvane_options{1, 0, 0, nullptr};
}
