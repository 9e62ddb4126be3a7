#include "protocol/irc_message.h"

#include "protocol/text_util.h"

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

void ircmessageencoder::ParseLine(const std::string& line)
{
    using text::Pos;
    using text::Sub;
    const auto len = static_cast<long long>(line.size());
    const auto sp1 = static_cast<long long>(Pos(' ', line));

    rawline = line;
    prefixtoken = Sub(line, 1, sp1);

    const auto tokenLen = static_cast<long long>(prefixtoken.size());
    if (const auto b = static_cast<long long>(Pos('!', prefixtoken)); b > 0) {
        nick = Sub(prefixtoken, 2, b - 2);
        userhost = Sub(prefixtoken, b + 1, tokenLen - b + 1);
    } else {
        nick = prefixtoken;
    }

    const std::string t = Sub(line, 1, sp1);
    const auto a = static_cast<long long>(Pos('@', t));
    host = Sub(t, a + 1, static_cast<long long>(t.size()) - a);

    const std::string rest = Sub(line, sp1 + 1, len - sp1 + 1);
    const auto restLen = static_cast<long long>(rest.size());
    const auto sp2 = static_cast<long long>(Pos(' ', rest));
    const std::string cmdtoken = Sub(rest, 1, sp2);
    std::string p = Sub(text::Trim(rest), sp2 + 1, restLen - sp2);

    if (cmdtoken.size() >= 3 && Digit(cmdtoken[0]) && Digit(cmdtoken[1]) && Digit(cmdtoken[2])) {
        code = ToInt32(text::Trim(cmdtoken));
        kind = "code";
    } else {
        command = text::Trim(cmdtoken);
        kind = "command";
    }

    params = text::Trim(p) + " ";
    firstparam = Sub(params, 1, static_cast<long long>(Pos(' ', params)));
}
