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
std::size_t Pos(char c, std::string_view s);
std::size_t Pos(std::string_view what, std::string_view s);

// substring(s, start, count), 1-based: a start below 1 counts as 1; a start past
// the end or a count below 1 gives an empty text; a count longer than what
// remains is cut to what remains.
std::string Sub(std::string_view s, long long start, long long count);

// The same cuts without copying: views into s.
std::string_view SubView(std::string_view s, long long start, long long count);
std::string_view TrimView(std::string_view s);

// Everything from the 1-based start to the end.
std::string From(std::string_view s, long long start);

}  // namespace text
