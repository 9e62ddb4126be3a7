#include "common/link_spans.h"

#include "common/shown_text.h"

#include <QUrl>
#include <QVarLengthArray>

namespace {

bool IsFormatting(char16_t c)
{
    switch (c) {
    case 0x02: case 0x0F: case 0x11: case 0x16: case 0x1D: case 0x1E: case 0x1F:
        return true;
    default:
        return false;
    }
}

bool IsDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

// Where a formatting run that starts at pos ends (a colour byte takes its
// numbers with it); pos itself when there is none.
qsizetype SkipFormatting(const QString& text, qsizetype pos)
{
    const qsizetype size = text.size();
    while (pos < size) {
        const char16_t c = text.at(pos).unicode();
        if (IsFormatting(c)) {
            ++pos;
        } else if (c == 0x03) {
            ++pos;
            for (int i = 0; i < 2 && pos < size && IsDigit(text.at(pos)); ++i) ++pos;
            if (pos + 1 < size && text.at(pos) == u',' && IsDigit(text.at(pos + 1))) {
                ++pos;
                for (int i = 0; i < 2 && pos < size && IsDigit(text.at(pos)); ++i) ++pos;
            }
        } else {
            break;
        }
    }
    return pos;
}

bool EndsLink(QChar ch, bool room)
{
    const char16_t c = ch.unicode();
    if (c <= 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029)
        return true;
    if (c == u'<' || c == u'>' || c == u'"')
        return true;
    return room && (c == u',' || c == u'\'' || c == u'(' || c == u')' || c == u'#');
}

// True when the characters before pos are a colour byte's numbers.
bool AfterColourNumbers(const QString& text, qsizetype pos)
{
    qsizetype at = pos - 1;
    while (at >= 0 && pos - at <= 5 && (IsDigit(text.at(at)) || text.at(at) == u','))
        --at;
    return at >= 0 && at < pos - 1 && text.at(at).unicode() == 0x03;
}

bool StartsWord(const QString& text, qsizetype pos)
{
    if (pos == 0)
        return true;
    const QChar before = text.at(pos - 1);
    if (IsDigit(before))
        return AfterColourNumbers(text, pos);
    return !before.isLetterOrNumber() && before != u'/' && before != u'.' && before != u'-' && before != u'_' &&
           before != u'#' && before != u'@';
}

bool HasAt(const QString& text, qsizetype pos, QLatin1String word)
{
    return text.size() - pos >= word.size() && QStringView(text).mid(pos, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

// What follows a word start at pos; its length when it is a link's opening.
qsizetype Opening(const QString& text, qsizetype pos, bool& room)
{
    room = false;
    const char16_t c = text.at(pos).unicode();
    if (c == u'h' || c == u'H') {
        if (HasAt(text, pos, QLatin1String("http://")))
            return 7;
        if (HasAt(text, pos, QLatin1String("https://")))
            return 8;
    } else if (c == u'w' || c == u'W') {
        if (HasAt(text, pos, QLatin1String("www.")))
            return 4;
    } else if (c == u'#') {
        room = true;
        return 1;
    }
    return 0;
}

bool Trailing(QChar c)
{
    switch (c.unicode()) {
    case u'.': case u',': case u':': case u';': case u'!': case u'?': case u'\'': case u'*':
        return true;
    default:
        return false;
    }
}

// Opening less closing brackets of each kind among a link's characters.
struct BracketCounts {
    qsizetype round = 0;
    qsizetype square = 0;
    // Counts c in (step 1) or out again (step -1).
    void Add(QChar c, int step)
    {
        switch (c.unicode()) {
        case u'(': round += step; break;
        case u')': round -= step; break;
        case u'[': square += step; break;
        case u']': square -= step; break;
        default: break;
        }
    }
};

// The link that starts at pos, if there is one; next is where to look on.
bool ReadLink(const QString& text, qsizetype pos, LinkSpan& link, qsizetype& next)
{
    bool room = false;
    const qsizetype opening = Opening(text, pos, room);
    next = pos + 1;
    if (opening == 0)
        return false;
    // The visible characters of the link and where each one stands.
    QVarLengthArray<qsizetype, 128> where;
    QString shown;
    BracketCounts brackets;
    qsizetype at = pos;
    const qsizetype size = text.size();
    while (at < size) {
        at = SkipFormatting(text, at);
        if (at >= size || EndsLink(text.at(at), room && at > pos))
            break;
        shown += text.at(at);
        brackets.Add(text.at(at), 1);
        where.append(at);
        ++at;
    }
    next = at > pos ? at : pos + 1;
    // Punctuation that ends a sentence, and closing brackets that close
    // nothing inside the link, are not part of it. The brackets are counted
    // as they go, so a long run of them costs no more than its length.
    while (shown.size() > opening) {
        const QChar last = shown.back();
        bool drop = Trailing(last);
        if (last == u')')
            drop = brackets.round < 0;
        else if (last == u']')
            drop = brackets.square < 0;
        if (!drop)
            break;
        brackets.Add(last, -1);
        shown.chop(1);
        where.removeLast();
    }
    if (shown.size() <= opening)
        return false;
    if (room) {
        bool letter = false;
        for (qsizetype i = 1; i < shown.size() && !letter; ++i) letter = shown.at(i).isLetter();
        if (!letter)
            return false;
    }
    link.start = pos;
    link.end = where.back() + 1;
    link.target = opening == 4 && !room ? QStringLiteral("http://") + shown : shown;
    return true;
}

bool IsNickCharacter(QChar c)
{
    if (c.isLetterOrNumber())
        return true;
    switch (c.unicode()) {
    case u'_': case u'-': case u'[': case u']': case u'\\': case u'`': case u'^': case u'{': case u'|': case u'}':
        return true;
    default:
        return false;
    }
}

}  // namespace

QList<LinkSpan> FindLinks(const QString& text)
{
    QList<LinkSpan> links;
    const qsizetype size = text.size();
    qsizetype pos = 0;
    while (pos < size) {
        const char16_t c = text.at(pos).unicode();
        const bool candidate = c == u'h' || c == u'H' || c == u'w' || c == u'W' || c == u'#';
        if (!candidate || !StartsWord(text, pos)) {
            ++pos;
            continue;
        }
        LinkSpan link;
        qsizetype next = pos + 1;
        if (ReadLink(text, pos, link, next)) {
            links.append(link);
            pos = link.end;
        } else {
            pos = next;
        }
    }
    return links;
}

bool NamesNick(const QString& text, const QString& nick)
{
    if (nick.isEmpty())
        return false;
    for (qsizetype at = text.indexOf(nick, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(nick, at + 1, Qt::CaseInsensitive)) {
        const qsizetype end = at + nick.size();
        if ((at == 0 || !IsNickCharacter(text.at(at - 1))) && (end == text.size() || !IsNickCharacter(text.at(end))))
            return true;
    }
    return false;
}

QString ShownLinkTarget(const QString& target)
{
    if (target.startsWith(u'#'))
        return ShownText(target);
    const QUrl url(target);
    if (url.isValid())
        return url.toString(QUrl::FullyEncoded);
    // Not an address the browser would take either: its bytes, escaped.
    return QString::fromLatin1(QUrl::toPercentEncoding(target, "/:?#[]@!$&'()*+,;=%~"));
}
