// A fresh folder below the temp folder for one test, removed with everything in it when the
// test ends (permissions a test took away are given back first, so removal works for a plain
// user too). Small verbs keep each test a few lines.
#pragma once

#include <string>
#include <vector>

namespace quonder::testing {

// Every regular file below `folder` (links to files included), as sorted relative paths.
std::vector<std::string> FilesBelow(const std::string& folder);
// The same files with their bytes, one "path=bytes" line each: a whole tree in one compare.
std::string ContentsBelow(const std::string& folder);
// The bytes of the file at `path`; empty when it cannot be read.
std::string ReadBytes(const std::string& path);

class ScratchFolder {
 public:
  ScratchFolder();
  // The same below `parent` (for a file system with features the temp folder may lack).
  explicit ScratchFolder(const std::string& parent);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& relative) const { return path_ + "/" + relative; }

  // Writes `bytes` to `relative` (creating its folders) and returns the full path.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  // The bytes of `relative`; empty when it cannot be read.
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  // FilesBelow and ContentsBelow of `relative`.
  std::vector<std::string> Files(const std::string& relative = "") const;
  std::string Contents(const std::string& relative = "") const;

 private:
  std::string path_;
};

}  // namespace quonder::testing
