#include "common/strip_formatting.h"

#include "protocol/irc/formatting_codes.h"

QString StripFormatting(const QString& text)
{
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    const auto size = static_cast<std::size_t>(text.size());
    std::size_t pos = 0;
    while (pos < size && irc_format::CodeLength(units, size, pos) == 0) ++pos;
    if (pos == size) return text;  // the usual case: nothing to take out

    QString plain;
    plain.reserve(text.size());
    plain.append(QStringView(units, static_cast<qsizetype>(pos)));
    while (pos < size) {
        if (const std::size_t code = irc_format::CodeLength(units, size, pos)) {
            pos += code;
            continue;
        }
        plain.append(QChar(units[pos]));
        ++pos;
    }
    return plain;
}
