#include "protocol/irc/text_util.h"

namespace text {

namespace {
bool Blank(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

std::string_view TrimView(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && Blank(s[b])) ++b;
    while (e > b && Blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string LowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::size_t Pos(char c, std::string_view s)
{
    const auto p = s.find(c);
    return p == std::string_view::npos ? 0 : p + 1;
}

std::size_t Pos(std::string_view what, std::string_view s)
{
    const auto p = s.find(what);
    return p == std::string_view::npos ? 0 : p + 1;
}

std::string_view SubView(std::string_view s, long long start, long long count)
{
    if (start < 1) start = 1;
    const auto len = static_cast<long long>(s.size());
    if (start > len || count < 1) return {};
    return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

std::string Sub(std::string_view s, long long start, long long count) { return std::string(SubView(s, start, count)); }

std::string From(std::string_view s, long long start)
{
    return Sub(s, start, static_cast<long long>(s.size()));
}

}  // namespace text
