#pragma once
// A structured exception guard for MinGW, which has no __try: a vectored
// exception handler that, for an exception raised on the guarded thread during
// the guarded call, records the code and resumes at the end of the call with
// the caller's stack and registers.
#include <windows.h>

// Calls fn(arg) under the guard. Returns 0 when fn returned normally; else the
// code of the exception raised on this thread during the call, which ends the
// call at once (the rest of fn does not run). Every exception is caught:
// processor faults and RaiseException alike, whatever the code. Returns
// STATUS_NO_MEMORY, without calling fn, when the handler cannot be installed.
// One guarded call runs at a time in the process; others wait for it.
DWORD run_guarded(void (*fn)(void* arg), void* arg);
