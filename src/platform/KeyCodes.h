#pragma once

namespace ravix {

// The virtual-key codes that input arrives with (the platform layer translates its own key
// events into these). Letters are their upper-case ASCII codes.
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyShift = 16;
inline constexpr int kKeyControl = 17;
inline constexpr int kKeyAlt = 18;
inline constexpr int kKeyPause = 19;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyPageUp = 33;
inline constexpr int kKeyPageDown = 34;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyDelete = 46;
inline constexpr int kKeyF1 = 112; // F2 to F12 follow: kKeyF1 + 11 is F12

// The key-state table covers codes 0 .. kKeyCodeCount - 1.
inline constexpr int kKeyCodeCount = 255;

} // namespace ravix
