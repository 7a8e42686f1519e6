#pragma once
// Files the tool reads and writes. Input: a named file or "-" for standard
// input. Output (output_target.h tells the kinds): a file is written under a
// temporary name and put in place only by commit_output, so a failure never
// leaves a partial file; "-", a FIFO or a device is written as a stream, as
// the data comes.
#include <cstddef>
#include <cstdio>
#include <string>

#include "pending_file.h"

struct INPUT_FILE {
  std::string name;  // for messages: the path, or "standard input"
  std::FILE* file = nullptr;
  bool owned = false;  // closed on destruction (not for standard input)

  INPUT_FILE() = default;
  INPUT_FILE(const INPUT_FILE&) = delete;
  INPUT_FILE& operator=(const INPUT_FILE&) = delete;
  ~INPUT_FILE();
};

// Opens `path` ("-": standard input). Throws TOOL_ERROR when it cannot.
void open_input(INPUT_FILE& in, const std::string& path);

// Reads up to `bytes`; returns how many were read (fewer only at the end of
// the data). Throws TOOL_ERROR on a read error.
size_t read_some(INPUT_FILE& in, void* data, size_t bytes);

struct OUTPUT_FILE {
  std::string name;      // the path as given, or "standard output"
  PENDING_FILE pending;  // a file while it is written
  std::FILE* file = nullptr;
  bool to_stdout = false;
  bool stream = false;      // a FIFO or a device of its own (closed when done)
  bool cut_at_end = false;  // a regular file written as a stream: cut where the content ends

  OUTPUT_FILE() = default;
  OUTPUT_FILE(const OUTPUT_FILE&) = delete;
  OUTPUT_FILE& operator=(const OUTPUT_FILE&) = delete;
  ~OUTPUT_FILE();  // discards an output that was not committed
};

// Opens `path` ("-": standard output). A file gets a temporary name: beside
// the file it will be (a symlink's target), or, for a file with other names
// (hard links, which all see the new content) or in a folder that takes no new
// file, the content is copied into it once whole. Throws TOOL_ERROR when the
// path cannot be written (see find_output_target) or the temporary file
// cannot be made.
void open_output(OUTPUT_FILE& out, const std::string& path);

// Writes all `bytes`; throws TOOL_ERROR naming the output on failure.
void write_all(OUTPUT_FILE& out, const void* data, size_t bytes);

// Pushes what was written on to the reader (standard output: the next
// process in a pipe sees every complete frame before a later failure).
void flush_output(OUTPUT_FILE& out);

// Completes the output: flushes and closes, and puts a temporary file in
// place. Throws TOOL_ERROR (and removes the temporary file) on failure.
void commit_output(OUTPUT_FILE& out);

// Closes and removes the temporary file, if any. Safe to call twice.
void discard_output(OUTPUT_FILE& out);
