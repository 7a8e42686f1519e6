#pragma once
// What an output path names, found before anything is written to it, so that
// each kind gets what a user of Unix tools expects: a new file is created; an
// existing file is replaced whole once the new content is complete, keeping
// its permission bits (and, through a symlink, the link: the file it points
// to is updated, in that file's folder); a FIFO or a device is written as a
// stream; a folder, a socket, or a file the user could not write from the
// shell is refused.
#include <sys/stat.h>

#include <string>

enum class OUTPUT_KIND { new_file, existing_file, stream };

struct OUTPUT_TARGET {
  OUTPUT_KIND kind = OUTPUT_KIND::new_file;
  std::string path;       // the file itself, symlinks followed (for a stream: the path as given)
  struct stat file {};    // of an existing file or stream
  int descriptor = -1;    // a stream that is one of the tool's own descriptors (/dev/stdout)
  bool truncate = false;  // a regular file as a stream: cut where the new content ends
};

// Finds what `path` names. A path that names one of the tool's own open
// descriptors (/dev/stdout, /dev/fd/3, /proc/self/fd/1) is that descriptor,
// written at its offset as a stream and, when it is a regular file not open
// for appending, cut where the new content ends (as cp makes it end); one of
// another process's descriptors is opened as cp opens it, emptied first.
// Any other path through /proc (/proc/self/cwd/...) is the file it reaches.
// Throws TOOL_ERROR naming `path` for a folder, a socket, a loop of symlinks,
// a closed or read-only descriptor, an existing file that cannot be opened
// for writing (as the shell's ">" could not), or a path that cannot be looked
// up.
OUTPUT_TARGET find_output_target(const std::string& path);

// True when `path` names (through symlinks) a FIFO, a device, or a file open
// in a process (/dev/stdout redirected to a file): what is written as a stream.
// Throws TOOL_ERROR when it names one of the tool's own descriptors that is
// closed (/dev/stdout with standard output closed).
bool names_a_stream(const std::string& path);

// When `path` names a FIFO, opens and closes it without waiting, so that a
// reader waiting on it sees the end of the data (as it would had the shell
// opened the FIFO for the tool) instead of waiting for ever on a run that failed
// before writing anything.
void release_fifo_reader(const std::string& path);
