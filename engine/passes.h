#pragma once
// The two pass workers, which resize_frame hands its runner, and the size of
// the steps in which they take lines.
#include <cstdint>

#include "abi.h"

// The two pass workers (MULTI_THREAD_FUNC): param1 the frame buffer, param2 a
// PASS (its sizes and work area). Workers with index 16 or more, or not below the count they are
// given (a count below 1 counts as 1), return at once.
HOST_ENTRY void vertical_pass(int thread_id, int thread_num, void* buffer, void* pass);
HOST_ENTRY void horizontal_pass(int thread_id, int thread_num, void* buffer, void* pass);

// Lines (column groups or rows) a worker takes per step of a pass's counter,
// for `count` lines shared by thread_num workers: `most` for one worker or
// when the unit is as large; else few enough, in whole units, that every
// worker (16 at most) gets about four steps.
int32_t lines_per_step(int32_t count, int32_t unit, int32_t most, int thread_num);
