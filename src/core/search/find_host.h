// What a find run needs from whoever drives it (the window, the CLI, a test).
//
// Every method is called on the run's own thread, which is not the window's: implementations
// guard what they share with the window. The run calls:
//  - Conditions() at each point of use (per file for the file filters and the mode, per search
//    step or hit for the find text, word-only test and line feed code). Return the conditions
//    as they are now; returning the same snapshot each time is fine for a host that has no
//    controls. Must be cheap.
//  - StopRequested() after each file, after each subfolder, after each line feed passed while
//    locating a hit, and after each plain hit or regular-expression match. Returning true ends
//    the run at that point; rows already handed over stay. Must be cheap (an atomic load).
//  - AddResultRow() once per accepted hit, in run order, numbers from 1 without gaps.
//  - SetStatusText() for panel 2 (current file) and 3 (file counter) per file and panel 4
//    (find counter) per row. A host may throttle what it shows; the last call wins. A host
//    whose ShowsStatus() is false (it has no panels) gets none of these calls, and the run
//    spares building their texts, one path and one number per file and per row.
//  - ReportProblem() once per folder that could not be listed and per file that could not be
//    searched to its end, in walk order among the rows. The walk goes on after it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/search/find_conditions.h"

namespace quonder {

struct ResultRow {
  int64_t number = 0;    // "No.": rows before it + 1
  std::string path;      // "File Path": relative to the source folder, '/' separated
  int64_t line = 0;      // from 1
  int64_t column = 0;    // from 1, UTF-16 code units
  std::u16string found;  // as shown: escaped (EscapeControlChars) in regex mode
  int64_t pointer = 0;   // 1-based position of the hit in the decoded text
};

// A folder or file of the walk that could not be searched (or not to its end), and why.
struct RunProblem {
  enum class Kind {
    kFolderNotListed,   // unreadable, vanished, or a path too long to open
    kFileNotRead,       // could not be opened or read
    kFileNotDecoded,    // could not be decoded in the run's charset
    kPatternTooComplex  // the regular expression hit the engine's limits in this file
  };
  Kind kind = Kind::kFileNotRead;
  std::string path;     // relative to the source folder, '/' separated; "" for the folder itself
  std::string message;  // for the person: what failed, e.g. "Permission denied"
};

enum class StatusPanel {
  kStatus = 1,
  kCurrentFile = 2,
  kFileCounter = 3,
  kFindCounter = 4,
  kReplaceCounter = 5
};

class FindHost {
 public:
  virtual ~FindHost() = default;
  virtual std::shared_ptr<const FindConditions> Conditions() = 0;
  virtual bool StopRequested() = 0;
  virtual void AddResultRow(const ResultRow& row) = 0;
  virtual void SetStatusText(StatusPanel panel, std::u16string text) = 0;
  virtual bool ShowsStatus() { return true; }
  virtual void ReportProblem(RunProblem /*problem*/) {}
};

}  // namespace quonder
