// Ends the program in order when the system asks it to: SIGTERM (logout, shutdown, kill),
// SIGHUP (its terminal went away) and SIGINT (Ctrl+C in the terminal that started it) close
// every window as its close box does. A running find, replace, restore or copy is then stopped
// and joined, and the window deletes its backup folder, instead of the process dying mid-run
// and leaving copies of the user's files in TEMP.
//
// The handler only writes a byte to a socket; the window's thread reads it and closes the
// windows, so nothing that is unsafe in a signal handler runs there.
#pragma once

namespace quonder {

// Installs the handlers. Call once, on the window's thread, after the QApplication is made.
// False (nothing installed) when the socket or a handler cannot be set up.
bool CloseWindowsOnQuitSignals();

}  // namespace quonder
