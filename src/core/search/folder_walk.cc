#include "core/search/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include "core/fileops/file_common.h"
#include "core/fileops/temp_names.h"
#include "core/search/file_filter.h"

namespace quonder {
namespace {

enum class Kind { kFile, kFolder, kOther };

// What a link leads to. A link that leads nowhere (a missing target, a loop) is no file; one
// whose target cannot be looked at (a folder on the way that is closed to us) may lead to a
// file with hits: it is listed as a file, so that reading it fails and names the reason.
Kind KindOfTarget(int folder_fd, const char* name) {
  struct stat target;
  if (fstatat(folder_fd, name, &target, 0) != 0) {
    return errno == ENOENT || errno == ELOOP || errno == ENOTDIR ? Kind::kOther : Kind::kFile;
  }
  return S_ISREG(target.st_mode) ? Kind::kFile : Kind::kOther;
}

// What the entry is, following a link only to decide whether it names a file.
Kind KindOf(int folder_fd, const dirent& entry) {
  switch (entry.d_type) {
    case DT_REG:
      return Kind::kFile;
    case DT_DIR:
      return Kind::kFolder;
    case DT_LNK:
      return KindOfTarget(folder_fd, entry.d_name);
    case DT_UNKNOWN: {
      struct stat own;
      if (fstatat(folder_fd, entry.d_name, &own, AT_SYMLINK_NOFOLLOW) != 0) return Kind::kOther;
      if (S_ISREG(own.st_mode)) return Kind::kFile;
      if (S_ISDIR(own.st_mode)) return Kind::kFolder;
      if (!S_ISLNK(own.st_mode)) return Kind::kOther;
      return KindOfTarget(folder_fd, entry.d_name);
    }
    default:
      return Kind::kOther;
  }
}

// Lists `folder`; 0, or the errno that made it fail (the listing is then empty). With
// `follow_link` false a folder that has become a link since its parent was listed is not
// opened (ELOOP).
int ListEntries(const std::string& folder, FolderListing& listing, bool follow_link = true) {
  listing.files.clear();
  listing.folders.clear();
  listing.others = 0;
  const int fd =
      open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow_link ? 0 : O_NOFOLLOW));
  if (fd < 0) {
    const int error = errno;
    struct stat own;
    // O_DIRECTORY says ENOTDIR for a link even when O_NOFOLLOW stopped at it.
    if (error == ENOTDIR && !follow_link && lstat(folder.c_str(), &own) == 0 &&
        S_ISLNK(own.st_mode)) {
      return ELOOP;
    }
    return error;
  }
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    const int error = errno;
    close(fd);
    return error;
  }
  while (true) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    switch (KindOf(fd, *entry)) {
      case Kind::kFile:
        listing.files.emplace_back(entry->d_name);
        break;
      case Kind::kFolder:
        listing.folders.emplace_back(entry->d_name);
        break;
      case Kind::kOther:
        ++listing.others;
        break;
    }
  }
  const int read_error = errno;
  closedir(dir);
  if (read_error != 0) {
    listing.files.clear();
    listing.folders.clear();
    listing.others = 0;
    return read_error;
  }
  // std::string compares as unsigned bytes: UTF-8 byte order is code point order.
  std::sort(listing.files.begin(), listing.files.end());
  std::sort(listing.folders.begin(), listing.folders.end());
  return 0;
}

}  // namespace

Status ListFolder(const std::string& folder, FolderListing& listing) {
  const int error = ListEntries(folder, listing);
  if (error == 0) return Status::Ok();
  const std::string named = "\"" + folder + "\": " + std::strerror(error);
  if (error == ENOENT || error == ENOTDIR) {
    return Status::Error(Status::Code::kNotFound, "Folder not found: " + named);
  }
  return Status::Error(Status::Code::kIoError, "Cannot read folder " + named);
}

bool FileSize(const std::string& path, int64_t& size) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  size = S_ISREG(info.st_mode) ? static_cast<int64_t>(info.st_size) : 0;
  return true;
}

FolderWalk::FolderWalk(FindHost& host, const std::string& root, FolderListing listing)
    : host_(host), root_prefix_(BuildPath(root, "")) {
  Frame top;
  top.full = root;
  others_ = listing.others;
  top.listing = std::move(listing);
  frames_.push_back(std::move(top));
}

bool FolderWalk::StopAsked() {
  if (!stopped_ && host_.StopRequested()) stopped_ = true;
  return stopped_;
}

// Only a file that is surely ours and surely orphaned goes: a regular file (not a link) of this
// user, whose process is gone and which nobody has written for kOrphanAgeSeconds. Any doubt
// leaves it in place; it is skipped either way.
void FolderWalk::RemoveIfStale(const Frame& frame, const std::string& name, int64_t pid) {
  if (!TempOwnerGone(pid)) return;
  const std::string path = BuildPath(frame.full, name);
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
    return;
  }
  if (time(nullptr) - info.st_mtim.tv_sec < kOrphanAgeSeconds) return;
  unlink(path.c_str());
}

FolderWalk::Step FolderWalk::Next(WalkItem& item) {
  while (true) {
    if (stopped_) return Step::kStopped;
    if (check_pending_) {
      check_pending_ = false;
      if (StopAsked()) return Step::kStopped;
    }
    if (frames_.empty()) return Step::kOver;
    Frame& frame = frames_.back();
    if (!frame.entered) {
      frame.entered = true;
      if (StopAsked()) return Step::kStopped;
    }
    if (frame.next_file < frame.listing.files.size()) {
      const std::string& name = frame.listing.files[frame.next_file++];
      check_pending_ = true;
      int64_t pid = 0;
      if (name[0] == '.' && IsTempFileName(name, &pid)) {
        RemoveIfStale(frame, name, pid);
        continue;
      }
      std::shared_ptr<const FindConditions> conditions = host_.Conditions();
      if (conditions == nullptr) continue;
      if (!ExtensionQualifies(name, *conditions)) {
        ++filtered_;
        continue;
      }
      item.kind = WalkItem::Kind::kFile;
      item.relative_path = frame.relative + name;
      item.conditions = std::move(conditions);
      item.filtered_so_far = filtered_;
      return Step::kItem;
    }
    if (!frame.decided) {
      frame.decided = true;
      std::shared_ptr<const FindConditions> conditions = host_.Conditions();
      frame.descend = conditions != nullptr && conditions->sub_folders;
    }
    if (!frame.descend || frame.next_folder >= frame.listing.folders.size()) {
      check_pending_ = frames_.size() > 1;  // after each subfolder
      frames_.pop_back();
      continue;
    }
    const std::string& name = frame.listing.folders[frame.next_folder++];
    Frame sub;
    sub.full = BuildPath(frame.full, name);
    sub.relative = frame.relative + name + "/";
    const int error = ListEntries(sub.full, sub.listing, false);
    if (error == ELOOP) {  // it has become a link to a folder since it was listed
      check_pending_ = true;
      ++others_;
      continue;
    }
    if (error != 0) {
      check_pending_ = true;
      item.kind = WalkItem::Kind::kProblem;
      item.relative_path = frame.relative + name;
      item.conditions = nullptr;
      item.problem = std::make_unique<RunProblem>(
          RunProblem{RunProblem::Kind::kFolderNotListed, item.relative_path, std::strerror(error)});
      item.filtered_so_far = filtered_;
      return Step::kItem;
    }
    others_ += sub.listing.others;
    frames_.push_back(std::move(sub));
  }
}

}  // namespace quonder
