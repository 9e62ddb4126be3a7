#include "model/history_text.h"

#include "common/shown_text.h"
#include "common/strip_formatting.h"
#include "model/history_store.h"
#include "common/wire_text.h"
#include "protocol/irc/formatting_codes.h"

#include <QStringList>

#include <string>

namespace {

// A term as an FTS5 string: inside double quotes every character is literal
// and a double quote is written twice.
QString Quoted(const QString& term)
{
    QString quoted = term;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// The index keeps letters and digits only: a term without any finds nothing
// and would make the whole search find nothing.
bool HasWordCharacters(const QString& term)
{
    for (const QChar c : term)
        if (c.isLetterOrNumber() || c.isSurrogate()) return true;
    return false;
}

}  // namespace

QString HistoryPlainText(const QByteArray& lineBytes)
{
    return StripFormatting(FromWire(std::string(lineBytes.constData(), static_cast<std::size_t>(lineBytes.size()))));
}

QByteArray HistoryPlainUtf8(const QByteArray& lineBytes)
{
    const char* units = lineBytes.constData();
    const auto size = static_cast<std::size_t>(lineBytes.size());
    for (std::size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(units[i]) >= 0x80) return HistoryPlainText(lineBytes).toUtf8();
    // ASCII decodes to the same characters, and the formatting codes are
    // ASCII: they come out byte by byte as they would from the decoded text.
    QByteArray plain;
    plain.reserve(lineBytes.size());
    for (std::size_t pos = 0; pos < size;) {
        if (const std::size_t code = irc_format::CodeLength(units, size, pos)) {
            pos += code;
            continue;
        }
        plain += units[pos++];
    }
    return plain;
}

QString HistoryMatchExpression(const QString& typed)
{
    QStringList terms;
    qsizetype pos = 0;
    const qsizetype size = typed.size();
    while (pos < size) {
        const QChar c = typed.at(pos);
        if (c.isSpace()) {
            ++pos;
            continue;
        }
        if (c == u'"') {
            // A phrase runs to the next quote, or to the end when it is not closed.
            const qsizetype close = typed.indexOf(u'"', pos + 1);
            const qsizetype end = close < 0 ? size : close;
            const QString phrase = typed.mid(pos + 1, end - pos - 1).trimmed();
            if (HasWordCharacters(phrase)) terms << Quoted(phrase);
            pos = close < 0 ? size : close + 1;
            continue;
        }
        qsizetype end = pos;
        while (end < size && !typed.at(end).isSpace() && typed.at(end) != u'"') ++end;
        QString word = typed.mid(pos, end - pos);
        pos = end;
        bool prefix = false;
        while (word.endsWith(u'*')) {
            word.chop(1);
            prefix = true;
        }
        if (!HasWordCharacters(word)) continue;
        terms << (prefix ? Quoted(word) + u'*' : Quoted(word));
    }
    return terms.join(u' ');
}

QByteArray HistoryFoldedName(const QByteArray& name)
{
    QByteArray folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

QString HistoryBufferTitle(const HistoryBuffer& buffer)
{
    const auto shown = [](const QByteArray& bytes) {
        return ShownText(FromWire(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    };
    const QString name = buffer.name.isEmpty() ? QStringLiteral("server log") : shown(buffer.name);
    return buffer.network.isEmpty() ? name : name + QStringLiteral(" (") + shown(buffer.network) + u')';
}
