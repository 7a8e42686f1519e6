#pragma once
// The tool's temporary file and the signals that end the tool: every signal
// whose default action ends a process (hang-up, interrupt, quit, terminate,
// the user signals, the timers, the file-size and CPU limits, a closed pipe,
// the faults and abort, and the real-time signals) removes the temporary file
// first, then ends the tool by that same signal, so its parent sees how it
// ended. A signal ignored when the tool starts (nohup, trap '' HUP) stays
// ignored. SIGKILL cannot be caught: it may leave the temporary file.
#include <signal.h>

#include <string>

// Installs the handlers. Call once at start, before any thread is made.
void remove_temp_file_on_signals();

// While one lives, the ending signals wait on the calling thread: around the
// making, noting, committing and discarding of the temporary file, so that a
// signal never falls between the file and its note; and around the making of
// threads, which inherit the mask and so leave every such signal to the
// thread that holds the file.
struct ENDING_SIGNALS_HELD {
  ENDING_SIGNALS_HELD();
  ~ENDING_SIGNALS_HELD();
  ENDING_SIGNALS_HELD(const ENDING_SIGNALS_HELD&) = delete;
  ENDING_SIGNALS_HELD& operator=(const ENDING_SIGNALS_HELD&) = delete;

 private:
  sigset_t before_;
};

// The one temporary file a signal removes: `path`, and the private folder
// that holds it when `folder` is not empty, until forget_temp_file().
void note_temp_file(const std::string& path, const std::string& folder = {});
void forget_temp_file();
