// The virtual-key codes the game's key handler tests, shared by the game, the front ends
// and the tests.
#pragma once

namespace quendar::KeyCode {

inline constexpr int kEnter = 13;
inline constexpr int kEscape = 27;
// At the review, these scroll the study strip; during play they reach the game as ever.
inline constexpr int kPageUp = 33;
inline constexpr int kPageDown = 34;
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;  // the study strip's, never the game's
inline constexpr int kF3 = 114;  // the spoken readings', never the game's
inline constexpr int kF11 = 122;

}  // namespace quendar::KeyCode
