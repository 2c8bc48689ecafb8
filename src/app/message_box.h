// The one message box of the program. Every message to the user goes through ShowMessage so
// that a message raised during a long run is never hidden behind other windows.
//
// Threads: the window's (GUI) thread only.
#pragma once

#include <QString>

#include <functional>

#include "core/message_styles.h"

namespace quonder {

// The window's names for the style values of core/message_styles.h, which a message from the
// core passes unchanged: buttons in the low four bits, icon in 0x70, default button in 0x300.
inline constexpr int kMbOk = kButtonsOk;
inline constexpr int kMbOkCancel = kButtonsOkCancel;
inline constexpr int kMbAbortRetryIgnore = kButtonsAbortRetryIgnore;
inline constexpr int kMbYesNoCancel = kButtonsYesNoCancel;
inline constexpr int kMbYesNo = kButtonsYesNo;
inline constexpr int kMbRetryCancel = kButtonsRetryCancel;
inline constexpr int kMbIconStop = kIconStop;
inline constexpr int kMbIconQuestion = kIconQuestion;
inline constexpr int kMbIconExclamation = kIconWarning;
inline constexpr int kMbIconInformation = kIconInformation;
inline constexpr int kMbDefaultButton2 = kDefaultButton2;

// Button ids returned by ShowMessage.
inline constexpr int kIdOk = kAnswerOk;
inline constexpr int kIdCancel = kAnswerCancel;
inline constexpr int kIdAbort = kAnswerAbort;
inline constexpr int kIdRetry = kAnswerRetry;
inline constexpr int kIdIgnore = kAnswerIgnore;
inline constexpr int kIdYes = kAnswerYes;
inline constexpr int kIdNo = kAnswerNo;

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
