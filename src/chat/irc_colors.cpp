#include "chat/irc_colors.h"

#include <array>

namespace {

struct NamedColor {
    const char* name;
    QRgb rgb;
};

// The picker's sixteen colours, in number order.
constexpr std::array<NamedColor, kPickerColorCount> kPickerColors = {{
    {"White", 0xFFFFFF},      {"Black", 0x000000},       {"Blue", 0x000080},
    {"Green", 0x008000},      {"Red", 0xFF0000},         {"Brown", 0x804040},
    {"Purple", 0x800040},     {"Orange", 0xFF8000},      {"Yellow", 0xFFFF00},
    {"Light Green", 0x00FF00}, {"Cyan", 0x008080},       {"Light Cyan", 0x00FFFF},
    {"Light Blue", 0x0000FF}, {"Pink", 0xFF00FF},        {"Grey", 0x808080},
    {"Light Grey", 0xC0C0C0},
}};

// The extended palette, numbers 16 to 98.
constexpr std::array<QRgb, kLastIrcColor - kPickerColorCount + 1> kExtendedColors = {
    0x470000, 0x472100, 0x474700, 0x324700, 0x004700, 0x00472C, 0x004747, 0x002747,
    0x000047, 0x2E0047, 0x470047, 0x47002A, 0x740000, 0x743A00, 0x747400, 0x517400,
    0x007400, 0x007449, 0x007474, 0x004074, 0x000074, 0x4B0074, 0x740074, 0x740045,
    0xB50000, 0xB56300, 0xB5B500, 0x7DB500, 0x00B500, 0x00B571, 0x00B5B5, 0x0063B5,
    0x0000B5, 0x7500B5, 0xB500B5, 0xB5006B, 0xFF0000, 0xFF8C00, 0xFFFF00, 0xB2FF00,
    0x00FF00, 0x00FFA0, 0x00FFFF, 0x008CFF, 0x0000FF, 0xA500FF, 0xFF00FF, 0xFF0098,
    0xFF5959, 0xFFB459, 0xFFFF71, 0xCFFF60, 0x6FFF6F, 0x65FFC9, 0x6DFFFF, 0x59B4FF,
    0x5959FF, 0xC459FF, 0xFF66FF, 0xFF59BC, 0xFF9C9C, 0xFFD39C, 0xFFFF9C, 0xE2FF9C,
    0x9CFF9C, 0x9CFFDB, 0x9CFFFF, 0x9CD3FF, 0x9C9CFF, 0xDC9CFF, 0xFF9CFF, 0xFF94D3,
    0x000000, 0x131313, 0x282828, 0x363636, 0x4D4D4D, 0x656565, 0x818181, 0x9F9F9F,
    0xBCBCBC, 0xE2E2E2, 0xFFFFFF,
};

}  // namespace

QColor IrcColor(int n)
{
    if (n >= 0 && n < kPickerColorCount)
        return QColor::fromRgb(kPickerColors[static_cast<size_t>(n)].rgb);
    if (n >= kPickerColorCount && n <= kLastIrcColor)
        return QColor::fromRgb(kExtendedColors[static_cast<size_t>(n - kPickerColorCount)]);
    return QColor();
}

QString IrcColorName(int n)
{
    if (n < 0 || n >= kPickerColorCount)
        return QString();
    return QString::fromLatin1(kPickerColors[static_cast<size_t>(n)].name);
}
