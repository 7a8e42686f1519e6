// The library's only export. The .def file exports it undecorated.
#include "filter.h"

extern "C" HOST_ENTRY FILTER* __stdcall GetFilterTable() {
  return prepare_filter_table(system_sse_lookups);
}
