#pragma once
// A file written under a temporary name beside its final path and renamed
// over that path only once it is complete, so that a failure never leaves a
// partial file, and a file already at the path stays as it was until then.
#include <cstdio>
#include <functional>
#include <string>

struct PENDING_FILE {
  std::string path;       // the final path
  std::string temp_path;  // "<path>.partial-XXXXXX" while the file is pending
  std::FILE* file = nullptr;

  PENDING_FILE() = default;
  PENDING_FILE(const PENDING_FILE&) = delete;
  PENDING_FILE& operator=(const PENDING_FILE&) = delete;
  ~PENDING_FILE();  // discards a file that was not committed
};

// Creates the temporary file, with the permissions a plain create would give
// it. False, with errno set, when it cannot.
bool open_pending_file(PENDING_FILE& pending, const std::string& path);

enum class COMMIT_RESULT { done, write_failed, rename_failed };

// Flushes and closes the file and renames it over the final path. On failure
// the temporary file is removed and errno tells why (EACCES for a failed
// rename on Windows, whose MoveFileEx sets no errno).
COMMIT_RESULT commit_pending_file(PENDING_FILE& pending);

// Closes and removes the temporary file, if any. Safe to call twice.
void discard_pending_file(PENDING_FILE& pending);

// The whole file through `write`, which returns false when it fails: true
// once the file is in place; false, with nothing left behind, otherwise.
bool replace_file(const std::string& path, const std::function<bool(std::FILE*)>& write);
