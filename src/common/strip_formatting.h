#pragma once
// Chat text for places that show plain text only, such as the logs.
#include <QString>

// text without its formatting codes: bold, colour codes with their digits
// (and ",background"), reset, italic, underline, strike, reverse and
// monospace. Every other character stays, other control characters included.
QString StripFormatting(const QString& text);
