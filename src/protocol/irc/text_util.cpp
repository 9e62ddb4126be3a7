#include "protocol/irc/text_util.h"

namespace text {

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string LowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::size_t Pos(std::string_view what, std::string_view s)
{
    const auto p = s.find(what);
    return p == std::string_view::npos ? 0 : p + 1;
}

std::string Sub(std::string_view s, long long start, long long count) { return std::string(SubView(s, start, count)); }

std::string From(std::string_view s, long long start)
{
    return Sub(s, start, static_cast<long long>(s.size()));
}

}  // namespace text
