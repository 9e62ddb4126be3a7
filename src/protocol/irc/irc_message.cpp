#include "protocol/irc/irc_message.h"

#include "protocol/irc/text_util.h"

#include <algorithm>
#include <charconv>

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithThreeDigits(std::string_view s) { return s.size() >= 3 && Digit(s[0]) && Digit(s[1]) && Digit(s[2]); }

// The token as a whole 32-bit number; false when it is anything else.
bool ToInt32(std::string_view token, int& value)
{
    const char* first = token.data();
    const char* last = first + token.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && !token.empty();
}

std::size_t SkipSpaces(std::string_view s, std::size_t i)
{
    while (i < s.size() && s[i] == ' ') ++i;
    return i;
}

}  // namespace

const std::string* IrcMessage::Tag(std::string_view key) const
{
    for (auto it = tags_.rbegin(); it != tags_.rend(); ++it)
        if (it->key == key) return &it->value;
    return nullptr;
}

std::string_view IrcMessage::TakeTags(std::string_view line)
{
    if (line.empty() || line.front() != '@') {
        tags_.clear();
        return line;
    }
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) {
        ReadMessageTags(line.substr(1), tags_);
        return {};
    }
    ReadMessageTags(line.substr(1, space - 1), tags_);
    return line.substr(SkipSpaces(line, space));
}

IrcMessage::CutResult IrcMessage::Cut(std::string_view body, std::string_view& badNumber)
{
    using text::Pos;
    using text::SubView;
    const auto len = static_cast<long long>(body.size());
    const auto sp1 = static_cast<long long>(Pos(' ', body));

    rawline.assign(body);
    const std::string_view first = SubView(body, 1, sp1);
    prefixtoken.assign(first);

    const auto tokenLen = static_cast<long long>(first.size());
    const auto b = static_cast<long long>(Pos('!', first));
    if (b > 0) {
        nick.assign(SubView(first, 2, b - 2));
        userhost.assign(SubView(first, b + 1, tokenLen - b + 1));
    } else {
        nick.assign(first);
    }

    const auto a = static_cast<long long>(Pos('@', first));
    host.assign(SubView(first, a + 1, tokenLen - a));

    const std::string_view rest = SubView(body, sp1 + 1, len - sp1 + 1);
    const auto restLen = static_cast<long long>(rest.size());
    const auto sp2 = static_cast<long long>(Pos(' ', rest));
    const std::string_view cmdtoken = SubView(rest, 1, sp2);
    const std::string_view p = SubView(text::TrimView(rest), sp2 + 1, restLen - sp2);

    if (StartsWithThreeDigits(cmdtoken)) {
        const std::string_view number = text::TrimView(cmdtoken);
        if (!ToInt32(number, code)) {
            badNumber = number;
            return CutResult::BadNumber;
        }
        kind.assign("code", 4);
    } else {
        command.assign(text::TrimView(cmdtoken));
        kind.assign("command", 7);
    }

    const std::string_view trimmed = text::TrimView(p);
    params.reserve(trimmed.size() + 1);
    params.assign(trimmed).push_back(' ');
    firstparam.assign(SubView(params, 1, static_cast<long long>(Pos(' ', params))));

    const auto index = [](long long pos) { return pos > 0 ? static_cast<std::size_t>(pos - 1) : std::string_view::npos; };
    return CutParts(index(sp1), index(b), index(a)) ? CutResult::Whole : CutResult::NoCommand;
}

bool IrcMessage::CutParts(std::size_t firstSpace, std::size_t bang, std::size_t at)
{
    constexpr std::size_t kNone = std::string_view::npos;
    const std::string_view line = rawline;
    const std::size_t n = line.size();
    const auto span = [](std::size_t from, std::size_t to) {
        return Span{static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from)};
    };

    source_ = sourceNick_ = sourceUser_ = sourceHost_ = verb_ = Span();
    numeric_ = 0;
    paramCount_ = 0;

    std::size_t i = 0;
    hasSource_ = n > 0 && line[0] == ':';
    if (hasSource_) {
        if (firstSpace == kNone) return false;  // a source and nothing after it
        if (bang != kNone && at != kNone && at < bang) bang = kNone;  // "nick@host!x": no user
        source_ = span(1, firstSpace);
        sourceNick_ = span(1, std::min({bang, at, firstSpace}));
        if (bang != kNone) sourceUser_ = span(bang + 1, std::min(at, firstSpace));
        if (at != kNone) sourceHost_ = span(at + 1, firstSpace);
        i = firstSpace;
    }

    // Words are short: a plain walk over their bytes beats a search call per word.
    i = SkipSpaces(line, i);
    const std::size_t verbStart = i;
    while (i < n && line[i] != ' ') ++i;
    if (i == verbStart || line[verbStart] == ':') return false;
    verb_ = span(verbStart, i);
    if (StartsWithThreeDigits(Verb()) && !ToInt32(Verb(), numeric_)) return false;

    for (i = SkipSpaces(line, i); i < n; i = SkipSpaces(line, i)) {
        if (line[i] == ':' || paramCount_ == kMaxParams - 1) {
            params_[paramCount_++] = span(line[i] == ':' ? i + 1 : i, n);
            break;
        }
        const std::size_t wordStart = i;
        while (i < n && line[i] != ' ') ++i;
        params_[paramCount_++] = span(wordStart, i);
    }
    return true;
}

bool IrcMessage::Decode(const std::string& line)
{
    std::string_view badNumber;
    if (line.find('\0') == std::string::npos) {
        const std::string_view body = TakeTags(line);
        if (!body.empty() && Cut(body, badNumber) == CutResult::Whole) return true;
    }
    rawline.assign(line);
    return false;
}

void IrcMessage::ParseLine(const std::string& line)
{
    std::string_view badNumber;
    if (Cut(TakeTags(line), badNumber) == CutResult::BadNumber)
        throw ConversionError("'" + std::string(badNumber) + "' is not a valid integer value");
}

void IrcMessage::Reset()
{
    prefixtoken.clear();
    nick.clear();
    userhost.clear();
    kind.clear();
    code = 0;
    command.clear();
    rawline.clear();
    params.clear();
    firstparam.clear();
    host.clear();
    tags_.clear();
    hasSource_ = false;
    source_ = sourceNick_ = sourceUser_ = sourceHost_ = verb_ = Span();
    numeric_ = 0;
    paramCount_ = 0;
}
