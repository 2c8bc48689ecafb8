// The folders and files of a find run, in walk order.
//
// Listing one folder: its files and its subfolders, each in ascending order of name by code
// point (byte order of the UTF-8 names), so every run over the same tree visits the same files
// in the same order. Hidden entries are listed. A symbolic link to a file is listed as a file
// (it is searched), and so is one whose target cannot be looked at (reading it names why); a
// symbolic link to a folder is not listed (the walk never follows one, so it cannot loop).
// Entries that are neither regular files nor folders (devices, pipes, sockets, broken links)
// are not listed: reading a pipe could block.
//
// The walk: depth first, a folder's files before its subfolders, subfolders only while the
// conditions ask for them. It reads the host's conditions once per listed file (the extension
// filter) and once per folder after its files (whether to descend), and asks for a stop at the
// points a run stops: at the start of each folder, after each file of a folder (searched or
// not) and after each subfolder. The temporary files of the atomic writer (temp_names.h) are
// never yielded; those whose process is gone and that belong to this user are removed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/search/find_host.h"
#include "core/status.h"

namespace quonder {

struct FolderListing {
  std::vector<std::string> files;    // names, sorted
  std::vector<std::string> folders;  // names, sorted
  // Entries that are neither: links to folders, devices, pipes, sockets, broken links.
  int32_t others = 0;
};

// Lists `folder`. kNotFound or kIoError, naming the folder, when it cannot be opened or read.
Status ListFolder(const std::string& folder, FolderListing& listing);

// Size in bytes of the file at `path` (links followed), 0 for what is no regular file (reading
// it refuses it by name); false when it cannot be measured, with errno set.
bool FileSize(const std::string& path, int64_t& size);

// One step of the walk.
struct WalkItem {
  enum class Kind { kFile, kProblem };
  Kind kind = Kind::kFile;
  // kFile: the file's path below the source folder, '/' separated.
  std::string relative_path;
  // kFile: the conditions read as the file was listed (its extension qualified under them).
  std::shared_ptr<const FindConditions> conditions;
  // kProblem: a folder that could not be listed (its files are not searched).
  std::unique_ptr<RunProblem> problem;
  // Files left out by the extension filter in the walk so far, this item's place included.
  int32_t filtered_so_far = 0;
};

class FolderWalk {
 public:
  enum class Step { kItem, kOver, kStopped };

  // Walks the tree below `root`, whose own listing the caller already made (a source folder
  // that cannot be listed ends the run before it starts).
  FolderWalk(FindHost& host, const std::string& root, FolderListing listing);

  // The next item in walk order. kStopped once the host asked to stop (and from then on).
  Step Next(WalkItem& item);

  // `root` and a '/': what the items' relative paths follow.
  const std::string& root_prefix() const { return root_prefix_; }
  // Files left out by the extension filter so far.
  int32_t filtered() const { return filtered_; }
  // Entries of the folders listed so far that are no file to search (FolderListing::others).
  int32_t others() const { return others_; }

 private:
  struct Frame {
    std::string full;
    std::string relative;  // "" for the source folder, else ending in '/'
    FolderListing listing;
    size_t next_file = 0;
    size_t next_folder = 0;
    bool entered = false;  // the stop check at its start was made
    bool decided = false;  // whether to descend was read
    bool descend = false;
  };

  bool StopAsked();
  void RemoveIfStale(const Frame& frame, const std::string& name, int64_t pid);

  FindHost& host_;
  std::string root_prefix_;
  std::vector<Frame> frames_;
  bool check_pending_ = false;  // a file or subfolder was passed since the last stop check
  bool stopped_ = false;
  int32_t filtered_ = 0;
  int32_t others_ = 0;
};

}  // namespace quonder
