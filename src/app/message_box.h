// The one message box of the program. Every message to the user goes through ShowMessage so
// that a message raised during a long run is never hidden behind other windows.
//
// Threads: the window's (GUI) thread only.
#pragma once

#include <QString>

#include <functional>

namespace quonder {

// Style values are the classic message-box flags: buttons in the low four bits, icon in 0x70,
// default button in 0x300.
inline constexpr int kMbOk = 0;
inline constexpr int kMbOkCancel = 1;
inline constexpr int kMbAbortRetryIgnore = 2;
inline constexpr int kMbYesNoCancel = 3;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbRetryCancel = 5;
inline constexpr int kMbIconStop = 16;
inline constexpr int kMbIconQuestion = 32;
inline constexpr int kMbIconExclamation = 48;
inline constexpr int kMbIconInformation = 64;

// Button ids returned by ShowMessage.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// One call of ShowMessage, as a handler sees it.
struct MessageRequest {
  QString prompt;  // as passed: line breaks may be CR LF
  QString title;
  int style = 0;
  int options = 0;  // passed through; every caller passes 0
};

// Shows a modal box with the buttons and icon that `style` selects and returns the id of the
// button that closed it (kIdOk, kIdCancel, kIdYes, kIdNo ...). Escape or the close box gives
// Cancel when the box has one, else No, else the only/first button's id.
// Before the box shows, the application's active window (or, without one, the first visible
// main window) is restored when minimized, shown and raised; the box is its child.
int ShowMessage(const QString& prompt, const QString& title, int style, int options = 0);

// Test seam: while a handler is set, ShowMessage raises the owner as usual and then returns
// the handler's answer instead of showing a box. An empty handler restores the real box.
using MessageBoxHandler = std::function<int(const MessageRequest&)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace quonder
