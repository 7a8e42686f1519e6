#pragma once
// A file written under a temporary name and put in place only once it is
// complete, so that a failure never leaves a partial file, and a file already
// at the path stays as it was until then. Put in place either by renaming the
// temporary file over the path (the temporary file lies beside it), or, for a
// file that must keep its identity (other names through hard links, a folder
// that takes no new file), by copying the whole content into it.
#include <cstdio>
#include <functional>
#include <string>

struct PENDING_FILE {
  std::string path;         // the final path
  std::string temp_path;    // "<name>.partial-XXXXXX" while the file is pending
  std::string temp_folder;  // a private folder made to hold it, when not beside the file
  std::FILE* file = nullptr;
  bool in_place = false;  // commit copies into `path` instead of renaming over it
  int target = -1;        // `path` opened and locked for the copy (lock_pending_target)

  PENDING_FILE() = default;
  PENDING_FILE(const PENDING_FILE&) = delete;
  PENDING_FILE& operator=(const PENDING_FILE&) = delete;
  ~PENDING_FILE();  // discards a file that was not committed
};

// Creates the temporary file, readable and writable by this user alone (mode
// 0600): beside `path`, or, when `temp_folder` is not empty, in a folder of
// its own made there that no other user can list. False, with errno set, when
// it cannot. Give it the mode it will have in place (set_pending_mode) before
// writing to it, if it is to be renamed into place.
bool open_pending_file(PENDING_FILE& pending, const std::string& path,
                       const std::string& temp_folder = {});

// The mode a plain create gives a new file: 0666 less the umask.
unsigned plain_file_mode();

// Gives the temporary file `mode` (permission bits, 07777). False, with errno
// set, when it cannot.
bool set_pending_mode(PENDING_FILE& pending, unsigned mode);

// For a file filled in place: opens `path` and waits until this process holds
// the lock on it, so that two runs that fill one file fill it one after the
// other, each with its whole content. The lock lasts until the file is
// committed or discarded. False, with errno set, when the file cannot be
// opened or locked. (Windows: never asked for.)
bool lock_pending_target(PENDING_FILE& pending);

enum class COMMIT_RESULT { done, write_failed, rename_failed, copy_failed };

// Flushes and closes the file and puts it in place: renamed over the final
// path, or with `in_place` copied into the file there (under its lock, taken
// here unless lock_pending_target took it), after taking the room for it (write_failed when that
// fails, with the file untouched; copy_failed when the copy fails part way: the file may then be
// incomplete). On failure the temporary file is removed and errno tells why (EACCES for a failed
// rename on Windows, whose MoveFileEx sets no errno).
COMMIT_RESULT commit_pending_file(PENDING_FILE& pending);

// Closes and removes the temporary file (and its private folder), if any.
// Safe to call twice.
void discard_pending_file(PENDING_FILE& pending);

// The whole file through `write`, which returns false when it fails, with the
// mode of a plain create: true once the file is in place; false, with nothing
// left behind, otherwise.
bool replace_file(const std::string& path, const std::function<bool(std::FILE*)>& write);
