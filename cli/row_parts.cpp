#include "row_parts.h"

namespace {

struct ROW_JOB {
  int32_t rows;
  const std::function<void(int32_t, int32_t)>* part;
};

void row_worker(int thread_id, int thread_num, void* job_param, void*) {
  const ROW_JOB& job = *static_cast<const ROW_JOB*>(job_param);
  const LINE_SHARE share = line_share(job.rows, thread_id, thread_num);
  if (share.first < share.end) (*job.part)(share.first, share.end);
}

}  // namespace

void run_on_rows(const ENGINE_THREADS& threads, int32_t rows,
                 const std::function<void(int32_t, int32_t)>& part) {
  ROW_JOB job{rows, &part};
  threads.runner.run(threads.runner.context, row_worker, &job, nullptr);
}
