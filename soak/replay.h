#pragma once
// The frames of a plug-in soak (testhost --soak-log) again on the native
// engine: each line gives a frame's seed, buffer, image and target sizes,
// order and the hash of what the plug-in made of it.
#include <string>

// 0 when every frame hashes the same; 1 at the first that does not (printed).
int replay_plugin_log(const std::string& path);
