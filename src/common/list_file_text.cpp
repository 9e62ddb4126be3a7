#include "common/list_file_text.h"

#include "common/shown_text.h"
#include "common/wire_text.h"

#include <QHash>
#include <QSet>

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr qsizetype kBomSize = 3;

// One line of the file, as byte offsets into it.
struct Line {
    enum Kind { Other, Header, BrokenHeader, NameKey };
    qsizetype start = 0;    // first byte, a byte order mark included
    qsizetype textEnd = 0;  // end of the text, before CR LF or LF
    qsizetype next = 0;     // first byte of the next line
    Kind kind = Other;
    QString text;           // Header: the section name; NameKey: the value
    bool readable = false;  // text fits a list entry (see Readable)
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasControl(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    return false;
}

// The text between from and to with blanks trimmed from both ends, decoded;
// *fits tells whether it could be an entry (not too long, no control character).
QString Field(const QByteArray& bytes, qsizetype from, qsizetype to, bool* fits)
{
    while (from < to && IsBlank(bytes[from])) ++from;
    while (to > from && IsBlank(bytes[to - 1])) --to;
    *fits = to - from <= kMaxListEntryBytes;
    if (!*fits) return {};  // never listed: a megabyte-long line is not decoded
    const QString text = FromWire(std::string(bytes.constData() + from, static_cast<std::size_t>(to - from)));
    *fits = !HasControl(text);
    return text;
}

bool IsNameKey(const QByteArray& bytes, qsizetype from, qsizetype to)
{
    while (from < to && IsBlank(bytes[from])) ++from;
    while (to > from && IsBlank(bytes[to - 1])) --to;
    return to - from == 4 && QByteArray(bytes.constData() + from, 4).toLower() == "name";
}

void Classify(const QByteArray& bytes, qsizetype begin, Line& line)
{
    qsizetype b = begin;
    qsizetype e = line.textEnd;
    while (b < e && IsBlank(bytes[b])) ++b;
    while (e > b && IsBlank(bytes[e - 1])) --e;
    if (b == e) return;
    if (bytes[b] == '[') {
        qsizetype close = e - 1;
        while (close > b && bytes[close] != ']') --close;
        if (close == b) {
            line.kind = Line::BrokenHeader;
            return;
        }
        line.kind = Line::Header;
        line.text = Field(bytes, b + 1, close, &line.readable);
        line.readable = line.readable && !line.text.isEmpty();
        return;
    }
    qsizetype eq = b;
    while (eq < e && bytes[eq] != '=') ++eq;
    if (eq < e && IsNameKey(bytes, b, eq)) {
        line.kind = Line::NameKey;
        line.text = Field(bytes, eq + 1, e, &line.readable);
    }
}

QList<Line> SplitLines(const QByteArray& bytes)
{
    QList<Line> lines;
    const qsizetype size = bytes.size();
    for (qsizetype pos = 0; pos < size;) {
        Line line;
        line.start = pos;
        const qsizetype newline = bytes.indexOf('\n', pos);
        const qsizetype end = newline < 0 ? size : newline;
        line.next = newline < 0 ? size : newline + 1;
        line.textEnd = end > pos && bytes[end - 1] == '\r' ? end - 1 : end;
        qsizetype begin = pos;
        if (pos == 0 && bytes.startsWith(kBom)) begin = std::min(kBomSize, line.textEnd);
        Classify(bytes, begin, line);
        pos = line.next;
        lines.append(std::move(line));
    }
    return lines;
}

bool IsSectionStart(const Line& line) { return line.kind == Line::Header || line.kind == Line::BrokenHeader; }

// The line end new lines get: the file's own (its first), LF for a file without one.
QByteArray LineEnd(const QByteArray& bytes)
{
    const qsizetype newline = bytes.indexOf('\n');
    return newline > 0 && bytes[newline - 1] == '\r' ? QByteArray("\r\n") : QByteArray("\n");
}

QByteArray Whole(const QByteArray& bytes, const Line& line) { return bytes.mid(line.start, line.next - line.start); }

// What is left of a line that goes: its byte order mark, when it has one.
QByteArray Leftover(const QByteArray& bytes, const Line& line)
{
    return line.start == 0 && bytes.startsWith(kBom) ? QByteArray(kBom) : QByteArray();
}

void EndLine(QByteArray& out, const QByteArray& eol)
{
    if (!out.isEmpty() && !out.endsWith('\n')) out += eol;
}

bool SectionHasName(const QList<Line>& lines, qsizetype header)
{
    for (qsizetype i = header + 1; i < lines.size() && !IsSectionStart(lines[i]); ++i)
        if (lines[i].kind == Line::NameKey) return true;
    return false;
}

QString Quoted(const QString& entry)
{
    constexpr int kShown = 60;
    QString shown = ShownText(entry);
    if (shown.size() > kShown) shown = shown.left(kShown) + QStringLiteral("...");
    return u'"' + shown + u'"';
}

}  // namespace

QList<ListEntry> ReadListEntries(const QByteArray& bytes)
{
    QList<ListEntry> entries;
    QList<bool> named;
    QHash<QString, qsizetype> at;  // folded section name -> its place in entries
    qsizetype current = -1;
    for (const Line& line : SplitLines(bytes)) {
        switch (line.kind) {
        case Line::Header:
            if (!line.readable) {
                current = -1;
                break;
            }
            if (const auto found = at.constFind(line.text.toCaseFolded()); found != at.cend()) {
                current = *found;
                break;
            }
            current = entries.size();
            at.insert(line.text.toCaseFolded(), current);
            entries.append({line.text, QString()});
            named.append(false);
            break;
        case Line::BrokenHeader:
            current = -1;
            break;
        case Line::NameKey:
            if (current >= 0 && !named[current] && line.readable) {
                entries[current].name = line.text;
                named[current] = true;
            }
            break;
        case Line::Other:
            break;
        }
    }
    return entries;
}

QByteArray WithListEntry(const QByteArray& bytes, const QString& entry)
{
    const QList<Line> lines = SplitLines(bytes);
    const QByteArray eol = LineEnd(bytes);
    const QString folded = entry.toCaseFolded();
    const QByteArray nameLine = "Name=" + entry.toUtf8();
    QByteArray out;
    out.reserve(bytes.size() + 2 * nameLine.size() + 8);
    enum { Elsewhere, InEntry, InRepeat } where = Elsewhere;
    bool found = false;
    bool nameWritten = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (IsSectionStart(line)) {
            const bool ours = line.kind == Line::Header && line.readable && line.text.toCaseFolded() == folded;
            if (ours && found) {
                where = InRepeat;
                out += Leftover(bytes, line);
                continue;
            }
            where = ours ? InEntry : Elsewhere;
            out += Whole(bytes, line);
            if (ours) {
                found = true;
                nameWritten = !SectionHasName(lines, i);
                if (nameWritten) {
                    EndLine(out, eol);
                    out += nameLine + eol;
                }
            }
            continue;
        }
        if (where == InRepeat) continue;
        if (where == InEntry && line.kind == Line::NameKey) {
            if (!nameWritten) out += nameLine + bytes.mid(line.textEnd, line.next - line.textEnd);
            nameWritten = true;
            continue;
        }
        out += Whole(bytes, line);
    }
    if (!found) {
        EndLine(out, eol);
        out += '[' + entry.toUtf8() + ']' + eol + nameLine + eol;
    }
    return out;
}

QByteArray WithoutListSections(const QByteArray& bytes, const QStringList& sections)
{
    QSet<QString> folded;
    for (const QString& s : sections) folded.insert(s.toCaseFolded());
    QByteArray out;
    out.reserve(bytes.size());
    bool dropping = false;
    for (const Line& line : SplitLines(bytes)) {
        if (IsSectionStart(line))
            dropping = line.kind == Line::Header && line.readable && folded.contains(line.text.toCaseFolded());
        out += dropping ? Leftover(bytes, line) : Whole(bytes, line);
    }
    return out;
}

QString ListEntryFault(const QString& entry)
{
    if (entry.isEmpty()) return QStringLiteral("An empty name cannot be kept in a list.");
    if (HasControl(entry))
        return Quoted(entry) + QStringLiteral(" cannot be kept in a list: it holds a line break or another control character.");
    if (entry.front() == u' ' || entry.back() == u' ')
        return Quoted(entry) + QStringLiteral(" cannot be kept in a list: it begins or ends with a blank.");
    const QByteArray utf8 = entry.toUtf8();
    if (utf8.size() > kMaxListEntryBytes)
        return Quoted(entry) + QStringLiteral(" cannot be kept in a list: it is longer than %1 bytes.").arg(kMaxListEntryBytes);
    if (FromWire(utf8.toStdString()) != entry)
        return Quoted(entry) + QStringLiteral(" cannot be kept in a list: it holds characters that cannot be written as UTF-8.");
    return {};
}
