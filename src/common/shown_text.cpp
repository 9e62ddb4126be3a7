#include "common/shown_text.h"

#include "common/strip_formatting.h"
#include "common/wire_text.h"

#include <algorithm>
#include <vector>

namespace {

// The isolate BidiContained puts around a field: first strong isolate, pop isolate.
constexpr char16_t kFsi = 0x2068;
constexpr char16_t kPdi = 0x2069;

}  // namespace

bool IsUnshowable(char16_t u)
{
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1;
}

bool IsBidiControl(char16_t u)
{
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) || u == 0x200E || u == 0x200F || u == 0x061C;
}

QString BidiContained(const QString& text)
{
    const auto firstControl = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return IsBidiControl(c.unicode()); });
    if (firstControl == text.cend()) return text;
    constexpr char16_t kPdf = 0x202C;
    QString out;
    out.reserve(text.size() + 2);
    out += QChar(kFsi);
    // Open embeddings and isolates, innermost last: true for an isolate. A
    // closer is kept only when it closes something opened in this text.
    std::vector<bool> open;
    bool anyKept = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == kPdf) {
            if (open.empty() || open.back()) continue;  // nothing of its kind open
            open.pop_back();
        } else if (u == kPdi) {
            const auto isolate = std::find(open.rbegin(), open.rend(), true);
            if (isolate == open.rend()) continue;
            open.erase(std::next(isolate).base(), open.end());  // closes the embeddings inside it too
        } else if ((u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2068)) {
            open.push_back(u >= 0x2066);
        }
        anyKept = anyKept || IsBidiControl(u);
        out += c;
    }
    if (!anyKept) return out.mid(1);
    out += QChar(kPdi);
    return out;
}

QString ShownText(const QString& text)
{
    QString out = StripFormatting(text);
    for (QChar& c : out)
        if (IsUnshowable(c.unicode())) c = u' ';
    return BidiContained(out);
}

QString ShownWireText(const std::string& bytes) { return ShownText(FromWire(bytes)); }

std::string NameOnWire(const QString& shownName)
{
    const bool isolated = shownName.size() >= 2 && shownName.front().unicode() == kFsi &&
                          shownName.back().unicode() == kPdi;
    return ToWire(isolated ? shownName.mid(1, shownName.size() - 2) : shownName);
}

QString ShownBlock(const QStringList& lines)
{
    QStringList shown;
    shown.reserve(lines.size());
    for (const QString& line : lines) shown << ShownText(line);
    return shown.join(QLatin1Char('\n'));
}
