#pragma once

#include <QColor>
#include <QString>

// The IRC colour numbers: 0-15 are the colour picker's named colours, 16-98
// the widely used extended palette, 99 stands for "the default colour".
inline constexpr int kPickerColorCount = 16;   // numbers 0-15 carry a picker name
inline constexpr int kLastIrcColor = 98;       // highest number with a colour of its own
inline constexpr int kDefaultIrcColor = 99;    // "back to the default colour"

// The colour of number n (0-98); an invalid QColor for 99 and for anything
// outside 0-99, so callers can tell "use the default" apart.
QColor IrcColor(int n);

// The colour picker's name of number n (0-15), e.g. "Light Grey"; empty otherwise.
QString IrcColorName(int n);
