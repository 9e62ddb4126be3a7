#pragma once
// Byte-string helpers shared by the wire layer: trimming, ASCII case folding and
// the 1-based cutting rules the parser and the handlers are written in.
#include <string>
#include <string_view>

namespace text {

// Removes every byte with a code from 0 to 32 from both ends.
std::string Trim(std::string_view s);

// Lower-cases A-Z only; every other byte is left as it is.
std::string LowerAscii(std::string_view s);

// 1-based position of the first occurrence of c (or of the text), 0 when absent.
inline std::size_t Pos(char c, std::string_view s)
{
    const auto p = s.find(c);
    return p == std::string_view::npos ? 0 : p + 1;
}
std::size_t Pos(std::string_view what, std::string_view s);

// substring(s, start, count), 1-based: a start below 1 counts as 1; a start past
// the end or a count below 1 gives an empty text; a count longer than what
// remains is cut to what remains.
std::string Sub(std::string_view s, long long start, long long count);

// The same cuts without copying: views into s. Inline: the line decoder
// makes several of these cuts for every received line.
inline std::string_view SubView(std::string_view s, long long start, long long count)
{
    if (start < 1) start = 1;
    const auto len = static_cast<long long>(s.size());
    if (start > len || count < 1) return {};
    return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}
inline std::string_view TrimView(std::string_view s)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Everything from the 1-based start to the end.
std::string From(std::string_view s, long long start);

}  // namespace text
