#pragma once
// Behaviour flags of the splash window and the fixed figures of its life.
#include <cstdint>

namespace brindle {

// ShowSplash blends the window in over SplashFadeInMs.
inline constexpr std::uint32_t SplashFadeIn = 0x01;
// HideSplash blends the window out over SplashFadeOutMs.
inline constexpr std::uint32_t SplashFadeOut = 0x02;
// Asks for a drop shadow. GTK has no per-window shadow request, so the flag is
// accepted and has no effect; a compositor may draw shadows of its own.
inline constexpr std::uint32_t SplashShadow = 0x04;
// Centres the picture in the client area of a full-screen window.
inline constexpr std::uint32_t SplashCenterScreen = 0x08;
// Centres the picture on the parent window (ignored with SplashCenterScreen).
inline constexpr std::uint32_t SplashCenterParent = 0x10;
// A mouse button or key pressed on the splash removes it at once.
inline constexpr std::uint32_t SplashHideOnInput = 0x20;

inline constexpr int SplashFadeInMs = 500;
inline constexpr int SplashFadeOutMs = 200;
// Time the splash stays up before it removes itself, unless told otherwise.
inline constexpr int SplashDefaultTimeoutMs = 2000;

// The start-up picture: bitmap 134, 644 x 213, 24-bit, magenta cut out.
inline constexpr int SplashBitmapId = 134;

// Text-drawing flags honoured by DrawSplash; the default is all three (21).
inline constexpr std::uint32_t SplashTextCenter = 0x01;
inline constexpr std::uint32_t SplashTextVCenter = 0x04;
inline constexpr std::uint32_t SplashTextWordBreak = 0x10;
inline constexpr std::uint32_t SplashTextDefaultFormat =
    SplashTextCenter | SplashTextVCenter | SplashTextWordBreak;

}  // namespace brindle
