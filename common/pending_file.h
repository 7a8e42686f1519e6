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
  std::string path;       // the final path
  std::string temp_path;  // "<name>.partial-XXXXXX" while the file is pending
  std::FILE* file = nullptr;
  bool in_place = false;  // commit copies into `path` instead of renaming over it

  PENDING_FILE() = default;
  PENDING_FILE(const PENDING_FILE&) = delete;
  PENDING_FILE& operator=(const PENDING_FILE&) = delete;
  ~PENDING_FILE();  // discards a file that was not committed
};

// Creates the temporary file, with the permissions a plain create would give
// it: beside `path`, or in `temp_folder` when that is not empty. False, with
// errno set, when it cannot.
bool open_pending_file(PENDING_FILE& pending, const std::string& path,
                       const std::string& temp_folder = {});

enum class COMMIT_RESULT { done, write_failed, rename_failed, copy_failed };

// Flushes and closes the file and puts it in place: renamed over the final
// path, or with `in_place` copied into the file there, after taking the room
// for it (write_failed when that fails, with the file untouched; copy_failed
// when the copy fails part way: the file may then be incomplete). On failure the
// temporary file is removed and errno tells why (EACCES for a failed rename on
// Windows, whose MoveFileEx sets no errno).
COMMIT_RESULT commit_pending_file(PENDING_FILE& pending);

// Closes and removes the temporary file, if any. Safe to call twice.
void discard_pending_file(PENDING_FILE& pending);

// The whole file through `write`, which returns false when it fails: true
// once the file is in place; false, with nothing left behind, otherwise.
bool replace_file(const std::string& path, const std::function<bool(std::FILE*)>& write);
