#include "protocol/irc/irc_message.h"

#include "protocol/irc/text_util.h"

#include <charconv>

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

int ToInt32(const std::string& token)
{
    int value = 0;
    const char* first = token.data();
    const char* last = first + token.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || token.empty())
        throw ConversionError("'" + token + "' is not a valid integer value");
    return value;
}

}  // namespace

void IrcMessage::ParseLine(const std::string& line)
{
    using text::Pos;
    using text::SubView;
    const auto len = static_cast<long long>(line.size());
    const auto sp1 = static_cast<long long>(Pos(' ', line));

    rawline = line;
    const std::string_view first = SubView(line, 1, sp1);
    prefixtoken.assign(first);

    const auto tokenLen = static_cast<long long>(first.size());
    if (const auto b = static_cast<long long>(Pos('!', first)); b > 0) {
        nick.assign(SubView(first, 2, b - 2));
        userhost.assign(SubView(first, b + 1, tokenLen - b + 1));
    } else {
        nick.assign(first);
    }

    const auto a = static_cast<long long>(Pos('@', first));
    host.assign(SubView(first, a + 1, tokenLen - a));

    const std::string_view rest = SubView(line, sp1 + 1, len - sp1 + 1);
    const auto restLen = static_cast<long long>(rest.size());
    const auto sp2 = static_cast<long long>(Pos(' ', rest));
    const std::string_view cmdtoken = SubView(rest, 1, sp2);
    const std::string_view p = SubView(text::TrimView(rest), sp2 + 1, restLen - sp2);

    if (cmdtoken.size() >= 3 && Digit(cmdtoken[0]) && Digit(cmdtoken[1]) && Digit(cmdtoken[2])) {
        code = ToInt32(std::string(text::TrimView(cmdtoken)));
        kind = "code";
    } else {
        command.assign(text::TrimView(cmdtoken));
        kind = "command";
    }

    const std::string_view trimmed = text::TrimView(p);
    params.reserve(trimmed.size() + 1);
    params.assign(trimmed).push_back(' ');
    firstparam.assign(SubView(params, 1, static_cast<long long>(Pos(' ', params))));
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
}
