// Standard input, output and error as a script sees them: output that could not be written
// turns the exit status into an error (as with grep), and the three descriptors stay taken so
// that no file the program opens receives the rows or the messages.
#pragma once

namespace quonder {

// Opens /dev/null in place of a closed descriptor 0, 1 or 2, so that no file the program opens
// gets its number. A closed standard output gets it opened for reading only: writing to it
// still fails (Bad file descriptor), as writing to the closed descriptor would.
void KeepStandardDescriptorsOpen();

// Remembers the reason (an errno value) of a write to standard output that failed; the first
// one counts.
void NoteStandardOutputError(int error);

// Writes out what standard output still holds. Returns `status` when all of it was written,
// else says so on standard error, with the reason when known, and returns kExitError.
int FinishStandardOutput(int status);

}  // namespace quonder
