#pragma once

// Message-box styles and answers, as the console's own code passes and receives them.
namespace orvane::message {

inline constexpr unsigned kOk = 0;
inline constexpr unsigned kYesNo = 4;
inline constexpr unsigned kOkStop = 16;
inline constexpr unsigned kYesNoQuestion = 36;
inline constexpr unsigned kOkInformation = 64;

inline constexpr unsigned kButtonMask = 0x0F;
inline constexpr unsigned kIconMask = 0xF0;
inline constexpr unsigned kIconStop = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconExclamation = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kButtonsOk = 0;
inline constexpr unsigned kButtonsOkCancel = 1;
inline constexpr unsigned kButtonsYesNoCancel = 3;
inline constexpr unsigned kButtonsYesNo = 4;

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

}  // namespace orvane::message
