#include "tool_error.h"

void fail(const std::string& name, const std::string& what) {
  throw TOOL_ERROR(name + ": " + what);
}
