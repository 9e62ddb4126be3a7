#pragma once
// Splitting one outgoing chat text into lines the server will not cut.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Room for the text of one PRIVMSG: the server adds the sender's full prefix
// and the target before passing a line on, and the whole must stay under 512
// bytes.
inline constexpr std::size_t kChatTextBudget = 400;

// Splits one chat text (UTF-8 bytes, formatting codes allowed) into pieces of
// at most `budget` bytes each.
// - A text of at most `budget` bytes comes back as the one piece, unchanged;
//   an empty text comes back as one empty piece.
// - A piece ends at its last space when it has one (that space is left out:
//   the line break takes its place); otherwise it is cut at the last place
//   that is neither inside a UTF-8 sequence nor inside a formatting code.
// - Every piece starts with the codes that bring back the formatting in force
//   at its start (the toggled styles in the order 0x16 0x1F 0x02 0x1D 0x1E
//   0x11, then the colour), so each line looks as the same stretch of the
//   whole text would. The codes the text itself has at that place are taken
//   into these; a piece that would show nothing (codes only) is left out.
// - A budget too small for the carried formatting and one character still
//   takes one character (or one code) per piece, so the split always ends.
std::vector<std::string> SplitChatText(std::string_view text, std::size_t budget = kChatTextBudget);
