#include "replay.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "frame_buffer.h"
#include "soak_frame.h"

int replay_plugin_log(const std::string& path) {
  std::ifstream log(path);
  if (!log) {
    std::printf("replay: cannot read %s\n", path.c_str());
    return 1;
  }
  long long frames = 0;
  for (std::string line; std::getline(log, line);) {
    std::istringstream fields(line);
    unsigned long long seed = 0, hash = 0;
    int32_t bw, bh, w, h, tw, th, vertical_first;
    if (!(fields >> seed >> bw >> bh >> w >> h >> tw >> th >> vertical_first >> std::hex >> hash)) {
      std::printf("replay: line %lld of %s does not read: %s\n", frames + 1, path.c_str(),
                  line.c_str());
      return 1;
    }
    FRAME_BUFFER buffer;
    if (!make_frame_buffer(buffer, bw, bh, PAGE_OPTIONS{})) {
      std::printf("replay: no memory for a %dx%d buffer\n", bw, bh);
      return 1;
    }
    buffer.frame.w = w;
    buffer.frame.h = h;
    fill_soak_frame(buffer.frame, seed);
    resize_frame(buffer.frame, tw, th, vertical_first != 0, nullptr);
    ++frames;
    if (hash_frame(buffer.frame) != hash) {
      std::printf(
          "replay: frame %lld differs from the native engine: %dx%d in buffer %dx%d to %d,%d%s\n",
          frames, w, h, bw, bh, tw, th, vertical_first ? " vertical first" : "");
      return 1;
    }
  }
  std::printf("replay: %lld frames of the plug-in match the native engine byte for byte\n", frames);
  return 0;
}
