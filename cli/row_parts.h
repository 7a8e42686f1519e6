#pragma once
// Work on the rows of one frame shared out among threads of the tool's own
// (the conversions around the library's calls, which have no threads to lend).
#include <cstdint>
#include <functional>

// Calls part(first, end) for `threads` equal shares of rows 0 .. rows - 1
// (conversions of one frame, which touch no row twice), each on a thread of
// its own and the first on the calling thread, and returns when all are done.
// A thread the system refuses leaves its share to the calling thread.
void run_on_rows(int threads, int32_t rows, const std::function<void(int32_t, int32_t)>& part);
