#include "filter.h"
#include "resize.h"

namespace {

// RUNNER over the host's exec_multi_thread_func; the context is the EXFUNC.
bool run_on_host_threads(void* context, MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  return static_cast<EXFUNC*>(context)->exec_multi_thread_func(worker, param1, param2) != FALSE;
}

}  // namespace

HOST_ENTRY BOOL __cdecl process_frame(FILTER* fp, FILTER_PROC_INFO* fpip) {
  if (!fp || !fpip || !fp->track || !fp->check) return FALSE;

  FRAME frame{fpip->ycp_edit, fpip->w, fpip->h, fpip->max_w, fpip->max_h};
  const bool vertical_first = fp->check[0] != 0;
  EXFUNC* exfunc = fp->exfunc;
  const RUNNER host_threads{run_on_host_threads, exfunc};
  const RUNNER* runner = exfunc && exfunc->exec_multi_thread_func ? &host_threads : nullptr;

  const bool done = resize_frame(frame, fp->track[0], fp->track[1], vertical_first, runner);
  // After a failed second pass the first pass's size stands, so the size is
  // written back whatever the result.
  fpip->w = frame.w;
  fpip->h = frame.h;
  return done ? TRUE : FALSE;
}
