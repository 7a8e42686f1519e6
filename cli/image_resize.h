#pragma once
// One frame through the engine on the tool's threads, the engine's failure
// turned into an error line.
#include <cstdint>
#include <string>

#include "engine_threads.h"
#include "resize.h"

// Resizes the image of `frame` to target_w x target_h (the buffer must hold
// both sizes). Throws TOOL_ERROR naming `name` when the engine fails (it can
// only lack work memory for a frame the tool built).
void resize_image(FRAME& frame, int32_t target_w, int32_t target_h, bool vertical_first,
                  const ENGINE_THREADS& threads, const std::string& name);
