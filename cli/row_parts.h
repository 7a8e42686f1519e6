#pragma once
// Work on the rows of one frame shared out among the tool's threads.
#include <cstdint>
#include <functional>

#include "engine_threads.h"

// Calls part(first, end) on every worker thread for its own share of rows
// 0 .. rows - 1 (conversions of one frame, which touch no row twice), and
// returns when all are done.
void run_on_rows(const ENGINE_THREADS& threads, int32_t rows,
                 const std::function<void(int32_t, int32_t)>& part);
