#include "common/shown_text.h"

#include "common/strip_formatting.h"
#include "common/wire_text.h"

bool IsUnshowable(char16_t u)
{
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1;
}

QString ShownText(const QString& text)
{
    QString out = StripFormatting(text);
    for (QChar& c : out)
        if (IsUnshowable(c.unicode())) c = u' ';
    return out;
}

QString ShownWireText(const std::string& bytes) { return ShownText(FromWire(bytes)); }

QString ShownBlock(const QStringList& lines)
{
    QStringList shown;
    shown.reserve(lines.size());
    for (const QString& line : lines) shown << ShownText(line);
    return shown.join(QLatin1Char('\n'));
}
