// morvane_soak: the soak's native half.
//   morvane_soak tool MORVANE SECONDS [SEED]   random PNG and y4m jobs through the tool
//   morvane_soak replay LOG                    a plug-in soak's frames on the native engine
#include <cstdio>
#include <cstdlib>
#include <string>

#include "replay.h"
#include "tool_soak.h"

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "tool" && (argc == 4 || argc == 5)) {
    TOOL_SOAK soak;
    soak.tool = argv[2];
    soak.seconds = std::atof(argv[3]);
    soak.seed = argc == 5 ? std::strtoull(argv[4], nullptr, 10) : 1;
    return run_tool_soak(soak);
  }
  if (mode == "replay" && argc == 3) return replay_plugin_log(argv[2]);
  std::fprintf(stderr,
               "usage: morvane_soak tool MORVANE SECONDS [SEED]\n"
               "       morvane_soak replay LOG\n");
  return 2;
}
