#pragma once
// The benchmark's table as a picture: an SVG file with one panel per job and
// a bar per implementation on one thread (the engine's portable and sse
// variants left out: at 5 to 30 times the others they would flatten every
// bar), each panel on its own scale, milliseconds written beside each bar.
#include <string>
#include <vector>

#include "report.h"

// False when the file cannot be written.
bool write_chart(const std::string& path, const std::vector<RESULT>& results,
                 const std::vector<std::string>& jobs, const std::string& caption);
