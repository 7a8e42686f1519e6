#include "image_resize.h"

#include "tool_error.h"

void resize_image(FRAME& frame, int32_t target_w, int32_t target_h, bool vertical_first,
                  const ENGINE_THREADS& threads, const std::string& name) {
  if (!resize_frame(frame, target_w, target_h, vertical_first, &threads.runner) &&
      !(run_on_fewer_threads(threads) &&
        resize_frame(frame, target_w, target_h, vertical_first, &threads.runner)))
    fail(name, "out of memory for the engine's work block");
}
