#pragma once
// What the tool says about the library context's worker threads on standard
// error.

// A line when the system let fewer than `asked` threads start (nothing when
// all started).
void say_threads_started(int asked, int started);

// A line for a run tried again on one thread after `threads` lacked memory.
void say_running_on_one(int threads);
