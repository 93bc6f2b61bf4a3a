#pragma once
// Control identifiers of the main window (template 102) and the progress
// window (template 133).

namespace brindle::id {

inline constexpr int kMainTemplate = 102;
inline constexpr int kProgressTemplate = 133;
inline constexpr int kIcon = 128;
inline constexpr int kSplashBitmap = 134;

inline constexpr int kOpenFile = 1001;
inline constexpr int kRemove = 1002;
inline constexpr int kReset = 1003;
inline constexpr int kUpload = 1004;
inline constexpr int kLogoList = 1005;
inline constexpr int kHalftoneNone = 1007;
inline constexpr int kHalftoneDiffusion = 1008;
inline constexpr int kLevelSlider = 1009;
inline constexpr int kRangeAll = 1011;
inline constexpr int kRangeSelection = 1012;
inline constexpr int kSizeSingle = 1013;
inline constexpr int kSizeDoubleWide = 1014;
inline constexpr int kSizeDoubleHigh = 1015;
inline constexpr int kSizeDoubleBoth = 1016;
inline constexpr int kDeviceList = 1022;
inline constexpr int kPortList = 1023;
inline constexpr int kBaudList = 1024;
inline constexpr int kBitLengthList = 1025;
inline constexpr int kParityList = 1026;
inline constexpr int kStopBitList = 1027;
inline constexpr int kIpAddress = 1028;
inline constexpr int kTcpPort = 1029;
inline constexpr int kSelectionNumber = 1030;
inline constexpr int kErase = 1031;
inline constexpr int kPrintout = 1032;
inline constexpr int kExit = 1033;
inline constexpr int kHandshakeList = 1034;
inline constexpr int kFileCounter = 1035;
inline constexpr int kSizeCounter = 1036;
inline constexpr int kWidthText = 1037;
inline constexpr int kHeightText = 1038;
inline constexpr int kLeftPanel = 1040;
inline constexpr int kRightPanel = 1041;

// Identifier of controls that are never addressed (group frames, labels).
inline constexpr int kStatic = -1;

}  // namespace brindle::id

namespace brindle::id {

inline constexpr int kProgressBar = 1039;

}  // namespace brindle::id
