// Writes that never leave a half-written file behind: the bytes go to a temporary file in the
// target's folder (named `.quonder-PID-N.tmp`), are flushed, and then renamed over the target.
// Killing the program at any moment leaves either the old content or the new one.
//
// A rewrite keeps what the file was besides its bytes: owner and group (where the process may
// set them), permission bits, and extended attributes (and so POSIX ACLs, which live in them).
// A symbolic link stays a link; the file it leads to is replaced.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/status.h"

namespace quonder {

// A file's replacement written in pieces, for content too large to hold twice (at once:
// WriteFileAtomically below): Open, Write as often as needed, Commit. Until Commit has renamed the
// file, the target is untouched; a writer destroyed (or Abandon-ed) before that removes its
// temporary file. Thread safety: one writer per thread; several writers may work at once.
class AtomicWriter {
 public:
  struct Options {
    // Permission bits of the new file. -1 (default): those of the file replaced, or 0666 less
    // the umask for a new file.
    int mode = -1;
  };

  AtomicWriter() = default;
  ~AtomicWriter() { Abandon(); }
  AtomicWriter(const AtomicWriter&) = delete;
  AtomicWriter& operator=(const AtomicWriter&) = delete;

  // Creates the temporary file beside WriteTarget(path) with the old file's owner, mode and
  // extended attributes. Call once.
  Status Open(const std::string& path, const Options& options);
  Status Open(const std::string& path) { return Open(path, Options()); }
  Status Write(std::string_view bytes);
  // Flushes the content to disk, then calls `check` (when given): a status other than ok drops
  // the temporary file, leaves the target untouched and is returned as it is. Otherwise renames
  // the temporary file over the target. Nothing can be written after Commit.
  Status Commit(const std::function<Status()>& check = {});
  // Drops the temporary file; the target stays as it was. Idempotent.
  void Abandon();

  // The file the rename replaces (WriteTarget of the path given to Open).
  const std::string& target() const { return target_; }

 private:
  Status Fail(const std::string& what);

  std::string path_;    // as given, for messages
  std::string target_;  // WriteTarget(path_)
  std::string temp_;    // the temporary file while it exists
  int fd_ = -1;
};

// Replaces (or creates) `path` with `bytes`. Fails with kIoError, naming the path, when the
// folder is missing or not writable or an attribute of the old file cannot be kept; the target
// is then untouched and no temporary file is left.
Status WriteFileAtomically(const std::string& path, std::string_view bytes,
                           const AtomicWriter::Options& options = {});

// Test seam: while set, `hook` is called with the target's path after a writer's content is
// flushed and before its check and rename, so that a test can change the target in between.
// It runs on the committing thread under a lock that every Commit takes: it must not commit a
// writer itself (that would wait for ever), and commits on other threads wait while it runs.
void SetBeforeRenameHookForTesting(std::function<void(const std::string& target)> hook);

// The file that a rewrite of `path` replaces: the file a symbolic link leads to (through any
// chain of links), else `path` itself, also for a broken link.
std::string WriteTarget(const std::string& path);

// Reads a whole file into `bytes` (replacing its content). kNotFound or kIoError on failure,
// kIoError also for what is not a regular file (a FIFO, a device), which is not read at all.
Status ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace quonder
