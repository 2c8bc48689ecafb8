// The titles of the program's message boxes, for the core's messages and the window's own
// alike. They are ASCII, so the same bytes read as UTF-8 and as Latin-1, and widen to UTF-16
// unit by unit.
#pragma once

namespace quonder {

inline constexpr char kTitleFindText[] = "Find Text";             // questions and summaries
inline constexpr char kTitleFindTextAlarm[] = "Find Text Alarm";  // warnings and errors

}  // namespace quonder
