#include "core/search/find_run_summary.h"

#include "core/text/decimal.h"
#include "core/text/string_common.h"

namespace quonder {

std::vector<std::string> RunEndNotes(const FindRunResult& result, ExtBehavior ext_behavior) {
  std::vector<std::string> notes;
  if (result.oversized_files > 0) {
    notes.push_back(Decimal(result.oversized_files) +
                    " file(s) larger than the Maximum File Size were skipped.");
  }
  const bool none_qualified =
      result.file_counter == 0 && result.given_up_files == 0 && result.oversized_files == 0;
  if (!result.stopped && result.filtered_files > 0 && none_qualified) {
    switch (ext_behavior) {
      case ExtBehavior::kInclude:
        notes.push_back(
            "No file was searched: no file's extension is in the extension list (Include).");
        break;
      case ExtBehavior::kExclude:
        notes.push_back(
            "No file was searched: every file's extension is in the extension list (Exclude).");
        break;
      default:
        notes.push_back(
            "No file was searched: the extension behaviour is neither Include nor "
            "Exclude.");
        break;
    }
  }
  if (result.other_entries > 0) {
    notes.push_back(Decimal(result.other_entries) +
                    " entries were not searched: links to folders, devices, pipes, sockets or "
                    "broken links.");
  }
  if (result.unlisted_folders > 0) {
    notes.push_back(Decimal(result.unlisted_folders) + " folder(s) could not be listed.");
  }
  const int32_t unread = result.given_up_files - result.too_complex_files;
  if (unread > 0) notes.push_back(Decimal(unread) + " file(s) could not be read.");
  if (result.too_complex_files > 0) {
    notes.push_back("The regular expression was too complex for " +
                    Decimal(result.too_complex_files) +
                    " file(s); they were not searched to their end.");
  }
  return notes;
}

bool HadProblems(const FindRunResult& result) {
  return result.given_up_files > 0 || result.unlisted_folders > 0;
}

std::string ProblemText(const RunProblem& problem) {
  std::string what;
  switch (problem.kind) {
    case RunProblem::Kind::kFolderNotListed:
      what = "folder could not be listed: ";
      break;
    case RunProblem::Kind::kFileNotRead:
      what = "could not be read: ";
      break;
    case RunProblem::Kind::kFileNotDecoded:
      what = "could not be decoded: ";
      break;
    case RunProblem::Kind::kPatternTooComplex:
      break;  // the reason says it
  }
  const std::string path = problem.path.empty() ? "." : EscapeControlChars(problem.path);
  return path + ": " + what + problem.message;
}

}  // namespace quonder
