// The styles of the program's message boxes and the answers they give, for the core's messages
// and the window's own alike. A style is one buttons value plus one icon value, and in the
// window optionally a default-button value; the window's box (app/message_box.h) turns them
// into its buttons and icon, and a host without a box answers with the same values.
#pragma once

namespace quonder {

// Buttons (bits 0x0F).
inline constexpr int kButtonsOk = 0;
inline constexpr int kButtonsOkCancel = 1;
inline constexpr int kButtonsAbortRetryIgnore = 2;
inline constexpr int kButtonsYesNoCancel = 3;
inline constexpr int kButtonsYesNo = 4;
inline constexpr int kButtonsRetryCancel = 5;

// Icons (bits 0x70).
inline constexpr int kIconStop = 16;
inline constexpr int kIconQuestion = 32;
inline constexpr int kIconWarning = 48;  // the exclamation mark
inline constexpr int kIconInformation = 64;

// Default button (bits 0x300); without it, the first button is the default.
inline constexpr int kDefaultButton2 = 0x100;

// The styles the core's messages use.
inline constexpr int kStyleStop = kButtonsOk | kIconStop;  // an error that ends a command
inline constexpr int kStyleWarning = kButtonsOk | kIconWarning;
inline constexpr int kStyleInformation = kButtonsOk | kIconInformation;
inline constexpr int kStyleOkCancelQuestion = kButtonsOkCancel | kIconQuestion;
inline constexpr int kStyleOkCancelWarning = kButtonsOkCancel | kIconWarning;

// Answers: the button that closed the box.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerIgnore = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

}  // namespace quonder
