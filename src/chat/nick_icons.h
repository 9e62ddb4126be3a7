#pragma once

#include <QIcon>
#include <QImage>

// The nick list's icons, by the picture numbers the room window uses.

inline constexpr int kHostIcon = 39;     // gold star: the user is a room operator
inline constexpr int kNormalIcon = 41;   // speech bubble: an ordinary user
inline constexpr int kIgnoredIcon = 42;  // red no-entry sign over a face: on the ignore list

// The 16x16 picture of icon number n (39, 41 or 42), drawn once and shared;
// a null image for any other number.
QImage NickIconPicture(int n);

// The same picture as an icon for list views; a null icon for unknown numbers.
QIcon NickIcon(int n);
