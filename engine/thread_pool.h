#pragma once
// A runner on real threads for the tools and tests: `count` workers (1 to 64),
// index 0 on the calling thread and the rest on threads that live as long as
// the pool. One run at a time per pool.
#include "resize.h"

struct THREAD_POOL;

// Null when count is outside 1 .. 64. When the system refuses a thread, the
// pool holds the threads made before it (thread_pool_size tells how many).
THREAD_POOL* create_thread_pool(int count);
void destroy_thread_pool(THREAD_POOL* pool);
int thread_pool_size(const THREAD_POOL* pool);

// Ends the pool's threads beyond the first `count` workers (between runs),
// so that their stacks are free for the rest; nothing when `count` is not
// below the pool's size.
void shrink_thread_pool(THREAD_POOL* pool, int count);

// A RUNNER that runs every worker call on `pool`.
RUNNER pool_runner(THREAD_POOL* pool);
