#include "core/search/find_run_file.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/search/file_filter.h"

namespace quonder {

void SearchFile(FileJob& job, const std::string& root_prefix, std::string& full_path,
                FileSearcher& searcher, FindHost& reading, RowCollector& collector) {
  full_path.assign(root_prefix).append(job.walked.relative_path);
  // The size is asked for only when a limit applies.
  const FindConditions& conditions = *job.walked.conditions;
  if (conditions.max_size != 0) {
    int64_t size = 0;
    if (!FileSize(full_path, size)) {
      job.outcome.given_up = true;
      job.outcome.problem = RunProblem::Kind::kFileNotRead;
      job.outcome.reason = std::strerror(errno);
      return;
    }
    if (!SizeQualifies(size, conditions)) {
      job.oversized = true;
      return;
    }
  }
  Status status = searcher.Search(full_path, reading, collector, job.outcome);
  if (!status.ok()) job.status = std::move(status);
}

bool FinishItem(FileJob& job, FindHost& host, FindRunResult& result, Status& status) {
  result.filtered_files = job.walked.filtered_so_far;
  if (job.walked.kind == WalkItem::Kind::kProblem) {
    ++result.unlisted_folders;
    host.ReportProblem(*job.walked.problem);
    return true;
  }
  if (job.skipped) return false;
  if (job.oversized) ++result.oversized_files;
  if (job.outcome.hits > 0) ++result.found_files;
  if (job.outcome.given_up) {
    ++result.given_up_files;
    if (job.outcome.problem == RunProblem::Kind::kPatternTooComplex) ++result.too_complex_files;
    host.ReportProblem(
        RunProblem{job.outcome.problem, job.walked.relative_path, job.outcome.reason});
  }
  if (!job.status.ok()) {
    status = job.status;
    return false;
  }
  return !job.outcome.stopped;
}

}  // namespace quonder
