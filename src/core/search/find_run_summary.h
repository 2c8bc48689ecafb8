// What a find run tells the person at its end besides "Found from N Files.": the files it left
// out and the folders and files it could not search, one line per fact, the same in the window's
// closing message and the command line's summary.
#pragma once

#include <string>
#include <vector>

#include "core/search/find_conditions.h"
#include "core/search/find_host.h"
#include "core/search/find_run.h"

namespace quonder {

// The lines for `result`, in this order, each only when it applies: files skipped by the size
// limit; no file searched because the extension list (with `ext_behavior`, the one the run
// ended with) left out every file; entries that are no file to search; folders that could not
// be listed; files that could not be read or decoded; files the regular expression was too
// complex for. Empty when nothing was left out.
std::vector<std::string> RunEndNotes(const FindRunResult& result, ExtBehavior ext_behavior);

// True when the run left folders or files unsearched (or not searched to their end) for a
// reason other than the filters: the front ends report it as an error.
bool HadProblems(const FindRunResult& result);

// One problem for a log line: "<path>: <what failed>: <reason>", control characters of the
// path written as escape sequences so the line stays one line.
std::string ProblemText(const RunProblem& problem);

}  // namespace quonder
