#include "core/search/find_run.h"

#include <algorithm>
#include <string>
#include <thread>
#include <utility>

#include "core/fileops/file_common.h"
#include "core/search/file_filter.h"
#include "core/search/file_search.h"
#include "core/search/find_run_parallel.h"
#include "core/search/find_run_report.h"
#include "core/search/folder_walk.h"

namespace quonder {
namespace {

// Turns one file's events into rows and status texts, numbering rows across the run.
class RowMaker : public FileEvents {
 public:
  RowMaker(FindHost& host, FindRunResult& result) : host_(host), result_(result) {}

  void StartFile(const std::string& relative_path) { path_ = &relative_path; }

  void OnLoaded() override { ReportFileLoaded(host_, *path_, result_); }

  void OnHit(int32_t line, int32_t column, int32_t pointer, std::u16string_view found,
             const PreparedConditions& prepared) override {
    // The mode is read for each row's Found cell.
    ReportRow(host_, MakeRow(*path_, line, column, pointer, found, prepared.conditions().reg_exp),
              result_);
  }

 private:
  FindHost& host_;
  FindRunResult& result_;
  const std::string* path_ = nullptr;
};

class Walk {
 public:
  Walk(FindHost& host, const FindRunOptions& options, FindRunResult& result)
      : host_(host), searcher_(options.byte_shortcuts), rows_(host, result), result_(result) {}

  FileSearcher& searcher() { return searcher_; }

  // SearchFolder: the folder's files, then (when asked) its subfolders. `relative` is the
  // folder's path below the source folder ("" for the source folder itself, else ending in
  // '/'). Returns an error only for what ends the run.
  Status SearchFolder(const std::string& full, const std::string& relative,
                      FolderListing& listing) {
    if (Stop()) return Status::Ok();
    for (const std::string& name : listing.files) {
      const std::string relative_path = relative + name;
      const std::string full_path = BuildPath(full, name);
      std::shared_ptr<const FindConditions> conditions = host_.Conditions();
      if (conditions != nullptr && Qualifies(name, full_path, *conditions)) {
        rows_.StartFile(relative_path);
        FileOutcome outcome;
        Status status = searcher_.Search(full_path, host_, rows_, outcome);
        if (!status.ok()) return status;
        if (outcome.hits > 0) ++result_.found_files;
        if (outcome.given_up) ++result_.given_up_files;
      }
      if (Stop()) return Status::Ok();
    }
    std::shared_ptr<const FindConditions> conditions = host_.Conditions();
    if (conditions == nullptr || !conditions->sub_folders) return Status::Ok();
    for (const std::string& name : listing.folders) {
      const std::string sub_full = BuildPath(full, name);
      FolderListing sub_listing;
      // A folder that cannot be listed is skipped like an unreadable file.
      if (ListFolder(sub_full, sub_listing).ok()) {
        Status status = SearchFolder(sub_full, relative + name + "/", sub_listing);
        if (!status.ok()) return status;
      }
      if (Stop()) return Status::Ok();
    }
    return Status::Ok();
  }

 private:
  bool Stop() {
    if (host_.StopRequested()) result_.stopped = true;
    return result_.stopped;
  }

  // The size is asked for only when a limit applies; a file that cannot be measured then
  // does not qualify.
  static bool Qualifies(const std::string& name, const std::string& full_path,
                        const FindConditions& conditions) {
    if (!ExtensionQualifies(name, conditions)) return false;
    if (conditions.max_size == 0) return true;
    int64_t size = 0;
    return FileSize(full_path, size) && SizeQualifies(size, conditions);
  }

  FindHost& host_;
  FileSearcher searcher_;
  RowMaker rows_;
  FindRunResult& result_;
};

}  // namespace

int WorkerCount(const FindRunOptions& options) {
  int workers = options.threads;
  if (workers <= 0) workers = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(workers, 1, kMaxFindWorkers);
}

Status RunFind(FindHost& host, const FindRunOptions& options, FindRunResult& result) {
  result = FindRunResult();
  std::shared_ptr<const FindConditions> conditions = host.Conditions();
  if (conditions == nullptr || conditions->find_text.empty()) {
    return Status::Error(Status::Code::kInvalidArgument, "Set Find data !");
  }
  Walk walk(host, options, result);
  Status status = walk.searcher().Prepare(*conditions);
  if (!status.ok()) return status;
  const std::string root = ExpandEnvVariables(conditions->source_folder);
  FolderListing listing;
  status = ListFolder(root, listing);
  if (!status.ok()) return status;
  const int workers = WorkerCount(options);
  if (workers == 1) return walk.SearchFolder(root, "", listing);
  return RunFindOnWorkers(host, options, workers, root, std::move(listing), result);
}

}  // namespace quonder
