#include "protocol/irc/text_split.h"

#include "protocol/irc/formatting_codes.h"

namespace {

using namespace irc_format;

// The formatting in force at one place of a chat text.
struct Style {
    std::string foreground;  // colour digits as written; empty: the default colour
    std::string background;
    unsigned toggles = 0;  // bit i set: kToggles[i] is on

    void Apply(std::string_view code)
    {
        const char c = code.front();
        if (c == kReset) {
            *this = Style{};
        } else if (c == kColor) {
            const std::size_t digits = ColorDigits(code.data(), code.size(), 1);
            if (digits == 0) {
                foreground.clear();
                background.clear();
                return;
            }
            foreground = code.substr(1, digits);
            if (code.size() > 1 + digits) background = code.substr(2 + digits);  // after the comma
        } else {
            for (unsigned i = 0; i < std::size(kToggles); ++i)
                if (c == kToggles[i]) toggles ^= 1u << i;
        }
    }

    // The codes that bring this formatting back at the start of a line whose
    // text is `rest`: the styles, then the colour.
    std::string Reopen(std::string_view rest) const
    {
        std::string out;
        for (unsigned i = 0; i < std::size(kToggles); ++i)
            if (toggles & (1u << i)) out += kToggles[i];
        if (foreground.empty()) return out;
        // The colour code comes last, right before the text: a digit there
        // would be read as part of the colour number, and a comma with a
        // digit as a background.
        const bool digitNext = !rest.empty() && IsDigitUnit(rest[0]);
        const bool backgroundNext = rest.size() >= 2 && rest[0] == ',' && IsDigitUnit(rest[1]);
        out += kColor;
        if (background.empty()) {
            out += digitNext ? TwoDigits(foreground) : foreground;
            if (backgroundNext) {
                out += kBold;  // an empty bold pair keeps the comma text
                out += kBold;
            }
        } else {
            out += foreground + ',' + (digitNext ? TwoDigits(background) : background);
        }
        return out;
    }

    static std::string TwoDigits(const std::string& digits) { return digits.size() == 1 ? '0' + digits : digits; }
};

// The bytes from pos that must stay together: one formatting code, one UTF-8
// sequence (a lead byte with the continuation bytes that follow it), or one byte.
std::size_t UnitLength(std::string_view text, std::size_t pos)
{
    if (const std::size_t code = CodeLength(text.data(), text.size(), pos)) return code;
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t expected = lead >= 0xF8 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t length = 1;
    while (length < expected && pos + length < text.size() &&
           (static_cast<unsigned char>(text[pos + length]) & 0xC0) == 0x80)
        ++length;
    return length;
}

// Where one piece ends, and the formatting in force there.
struct Cut {
    std::size_t end;   // the piece is [start, end)
    std::size_t next;  // where the next piece starts
    Style style;
};

// Finds the cut of the piece that starts at `start` with `room` bytes for
// its text; `style` is the formatting in force at `start`.
Cut FindCut(std::string_view text, std::size_t start, std::size_t room, const Style& style)
{
    const std::size_t limit = start + room;
    Style walked = style;
    Cut boundary{start, start, style};
    bool spaceSeen = false;
    Cut space{start, start, style};
    for (std::size_t pos = start; pos < text.size();) {
        const std::size_t length = UnitLength(text, pos);
        if (text[pos] == ' ' && pos > start && pos <= limit) {
            spaceSeen = true;
            space = {pos, pos + 1, walked};
        }
        if (pos + length > limit) break;
        if (CodeLength(text.data(), text.size(), pos) > 0) walked.Apply(text.substr(pos, length));
        pos += length;
        boundary = {pos, pos, walked};
    }
    if (spaceSeen) return space;
    if (boundary.end == start) {
        // Not even one unit fits: take it anyway, so that the split goes on.
        const std::size_t length = UnitLength(text, start);
        if (CodeLength(text.data(), text.size(), start) > 0) walked.Apply(text.substr(start, length));
        boundary = {start + length, start + length, walked};
    }
    return boundary;
}

}  // namespace

std::vector<std::string> SplitChatText(std::string_view text, std::size_t budget)
{
    if (text.size() <= budget) return {std::string(text)};

    std::vector<std::string> pieces;
    Style style;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // The codes at the start of a piece join the formatting carried to
        // it, and all of it is written out again in one form.
        while (const std::size_t code = CodeLength(text.data(), text.size(), pos)) {
            style.Apply(text.substr(pos, code));
            pos += code;
        }
        if (pos == text.size()) break;
        std::string prefix = style.Reopen(text.substr(pos));
        const std::size_t room = budget > prefix.size() ? budget - prefix.size() : 0;
        if (text.size() - pos <= room) {
            pieces.push_back(prefix.append(text.substr(pos)));
            break;
        }
        const Cut cut = FindCut(text, pos, room, style);
        pieces.push_back(prefix.append(text.substr(pos, cut.end - pos)));
        style = cut.style;
        pos = cut.next;
    }
    return pieces;
}
