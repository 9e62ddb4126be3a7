#pragma once
// The formatting codes of chat text: bold, colour, reset, the style toggles.
// Written over any code unit type, so that bytes on the wire and decoded text
// are read by the same rules.
#include <cstddef>

namespace irc_format {

inline constexpr char kBold = 0x02;
inline constexpr char kColor = 0x03;
inline constexpr char kMonospace = 0x11;
inline constexpr char kReset = 0x0F;
inline constexpr char kReverse = 0x16;  // drawn as strike-through by this program
inline constexpr char kItalic = 0x1D;
inline constexpr char kStrike = 0x1E;
inline constexpr char kUnderline = 0x1F;

// The codes that switch one style on or off each time they appear, in the
// order this program writes them in front of a line (a colour code after them).
inline constexpr char kToggles[] = {kReverse, kUnderline, kBold, kItalic, kStrike, kMonospace};

template <class Unit>
constexpr bool IsDigitUnit(Unit u)
{
    return u >= Unit('0') && u <= Unit('9');
}

template <class Unit>
constexpr bool IsToggle(Unit u)
{
    for (char t : kToggles)
        if (u == Unit(t)) return true;
    return false;
}

// Up to two digits of a colour number at pos; how many there are.
template <class Unit>
constexpr std::size_t ColorDigits(const Unit* text, std::size_t size, std::size_t pos)
{
    std::size_t n = 0;
    while (n < 2 && pos + n < size && IsDigitUnit(text[pos + n])) ++n;
    return n;
}

// The length of the formatting code that starts at pos, 0 when none starts
// there. A colour code is 0x03 with up to two digits of foreground and, when
// there is a foreground, a comma with one or two digits of background; a
// comma with no digit after it is text.
template <class Unit>
constexpr std::size_t CodeLength(const Unit* text, std::size_t size, std::size_t pos)
{
    if (pos >= size) return 0;
    const Unit u = text[pos];
    if (u == Unit(kReset) || IsToggle(u)) return 1;
    if (u != Unit(kColor)) return 0;
    std::size_t end = pos + 1;
    const std::size_t foreground = ColorDigits(text, size, end);
    end += foreground;
    if (foreground > 0 && end + 1 < size && text[end] == Unit(',') && IsDigitUnit(text[end + 1]))
        end += 1 + ColorDigits(text, size, end + 1);
    return end - pos;
}

}  // namespace irc_format
