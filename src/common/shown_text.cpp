#include "common/shown_text.h"

#include "common/strip_formatting.h"

QString ShownText(const QString& text)
{
    QString out = StripFormatting(text);
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029) c = u' ';
    }
    return out;
}
