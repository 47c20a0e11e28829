#pragma once

// Identifiers of the console window's controls. The console logic names a control only by these
// numbers; the window maps each one to a widget.
namespace orvane::control {

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

inline constexpr int kProgrammeTypeList = 1000;
inline constexpr int kPinTime = 1004;
inline constexpr int kPinDay = 1005;
inline constexpr int kGroup4A = 1006;
inline constexpr int kGroup1A = 1007;
inline constexpr int kConnect = 1008;
inline constexpr int kDisconnect = 1009;
inline constexpr int kServerAddress = 1010;
inline constexpr int kServerPort = 1011;
inline constexpr int kUpdateProgramme = 1012;
inline constexpr int kRadioText1 = 1013;
inline constexpr int kRadioText2 = 1014;
inline constexpr int kUpdateText = 1015;
inline constexpr int kPsName = 1016;
inline constexpr int kPtyCode = 1017;
inline constexpr int kUpdateSpecial = 1018;
inline constexpr int kTaFlag = 1019;
inline constexpr int kTpFlag = 1020;
inline constexpr int kMusicFlag = 1021;
inline constexpr int kTimeInPsFlag = 1022;
inline constexpr int kAdvancedFunctions = 1023;
inline constexpr int kDecoderIdList = 1024;
inline constexpr int kDiCode = 1025;
inline constexpr int kEditList = 1026;
inline constexpr int kAutoRotate = 1027;
inline constexpr int kRotateCountdown = 1037;

// The three "Actualizar" buttons, in the order in which they are always switched together.
inline constexpr int kUpdateButtons[] = {kUpdateProgramme, kUpdateText, kUpdateSpecial};

}  // namespace orvane::control
