#pragma once
// The filter's face towards the host: the one static filter table and the
// callbacks it holds. Every callback is entered from the host's threads, whose
// stacks are only 4-byte aligned, hence HOST_ENTRY.
#include "abi.h"
#include "filter_abi.h"
#include "sse_check.h"

// The table GetFilterTable hands out; also the filter pointer of every callback.
// Its track ranges start at 32 .. 2048 and are the table's own storage.
extern FILTER filter_table;

// Runs the SSE test with `lookups`: func_proc becomes process_frame when SSE
// works and null when it does not. Returns the table's address, the same on
// every call.
FILTER* prepare_filter_table(const SSE_LOOKUPS& lookups);

// func_proc: resizes the frame in place to track 0 x track 1, vertical pass
// first when check 0 is nonzero, on the host's exec_multi_thread_func when the
// host offers one, else on the calling thread; writes the new size into the
// frame record. 1 when done, 0 on failure (and for a record without track or
// check values).
HOST_ENTRY BOOL __cdecl process_frame(FILTER* fp, FILTER_PROC_INFO* fpip);

// func_init: takes the host's smallest and largest frame size (get_sys_info)
// as the track ranges and asks the window to show them (filter_window_update).
// 0, with the ranges untouched, when the host cannot give its sizes.
HOST_ENTRY BOOL __cdecl init_filter(FILTER* fp);

// func_exit: gives the engine's work memory back; always 1.
HOST_ENTRY BOOL __cdecl exit_filter(FILTER* fp);
