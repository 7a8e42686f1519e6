#pragma once
// The tool's temporary file and the signals that end the tool: every signal
// whose default action ends a process (hang-up, interrupt, quit, terminate,
// the user signals, the timers, the file-size and CPU limits, a closed pipe,
// the faults and abort, and the real-time signals) removes the temporary file
// first, then ends the tool by that same signal, so its parent sees how it
// ended. A signal ignored when the tool starts (nohup, trap '' HUP) stays
// ignored. SIGKILL cannot be caught: it may leave the temporary file.
#include <string>

// Installs the handlers. Call once at start, before any thread is made.
void remove_temp_file_on_signals();

// The one temporary file a signal removes: `path`, until forget_temp_file().
void note_temp_file(const std::string& path);
void forget_temp_file();
