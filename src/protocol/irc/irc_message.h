#pragma once
// One received server line, decoded once: tags, source, command and parameters,
// and the fields the handlers read, cut by the positions of the first spaces.
#include "protocol/irc/message_tags.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A second token that looks numeric but is no whole 32-bit number.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The decoded form of one server line.
//
// The public text fields are what the handlers read: cut by the positions of
// the first spaces, the first "!" and the first "@", several of them keeping a
// leading ":" or a trailing space, and the handlers rely on exactly that. For a
// line with tags they are cut from the line without its tag section, so a
// tagged line reads the same as the bare one.
//
// The decoded parts (tags, source, command, parameters) follow the IRC grammar
// and are read through the accessors; they point into rawline.
class IrcMessage {
public:
    std::string prefixtoken;
    std::string nick;
    std::string userhost;
    std::string kind;
    int code = 0;
    std::string command;
    std::string rawline;
    std::string params;
    std::string firstparam;
    std::string host;

    // At most this many parameters: the last one takes the rest of the line,
    // spaces included, even without its ":".
    static constexpr std::size_t kMaxParams = 15;

    // Decodes one received line (no CR, no LF) into a record that is new or
    // was Reset. False when the line cannot be decoded: it is empty, holds a
    // NUL byte, has tags or a source but no command, or its command looks
    // numeric but is no whole 32-bit number. rawline then holds the whole line
    // as received, for the server log, and nothing else is to be trusted.
    bool Decode(const std::string& line);

    // The lenient cut used on replies read while logging in: every line gives
    // fields, and only the fields that the line's kind sets are written (a
    // record reused for a command line keeps its last numeric code, and one
    // reused for a numeric keeps its last command).
    // Throws ConversionError for a numeric-looking second token out of range.
    void ParseLine(const std::string& line);

    // Empties every field (code 0) but keeps the memory, so a spent record can
    // stand in for a new one without allocating.
    void Reset();

    // The tags in the order sent, and the value of one (the last one sent
    // under that key), or null when the line has no such tag.
    const std::vector<MessageTag>& Tags() const { return tags_; }
    const std::string* Tag(std::string_view key) const;

    // The source: ":nick!user@host" gives nick, user and host; a server name
    // (or a bare nick) is the nick part alone.
    bool HasSource() const { return hasSource_; }
    std::string_view Source() const { return View(source_); }
    std::string_view SourceNick() const { return View(sourceNick_); }
    std::string_view SourceUser() const { return View(sourceUser_); }
    std::string_view SourceHost() const { return View(sourceHost_); }

    // The command word in the case received, or the numeric reply's digits;
    // Numeric() is the reply number, 0 for a command word.
    std::string_view Verb() const { return View(verb_); }
    int Numeric() const { return numeric_; }

    // The parameters, middle ones and the trailing one (its ":" removed, kept
    // when empty). LastParam is empty when there is none.
    std::size_t ParamCount() const { return paramCount_; }
    std::string_view Param(std::size_t i) const { return i < paramCount_ ? View(params_[i]) : std::string_view(); }
    std::string_view LastParam() const { return paramCount_ > 0 ? View(params_[paramCount_ - 1]) : std::string_view(); }

private:
    // A piece of rawline, by position, so a copied or moved record stays whole.
    struct Span {
        std::uint32_t pos = 0;
        std::uint32_t size = 0;
    };
    std::string_view View(Span s) const { return std::string_view(rawline).substr(s.pos, s.size); }

    // Reads the tag section, if any; the rest of the line after it.
    std::string_view TakeTags(std::string_view line);
    enum class CutResult { Whole, NoCommand, BadNumber };
    // The handlers' fields and then the decoded parts from body (rawline
    // becomes body). BadNumber, with the offending token in badNumber, stops
    // before the parts; NoCommand leaves them partly cut.
    CutResult Cut(std::string_view body, std::string_view& badNumber);
    // The decoded parts from rawline, the source by the cuts the handlers'
    // fields were made with (0-based, npos when absent): the line's first space
    // and the first "!" and "@" before it. False when there is no command, or
    // the command is a numeric out of range.
    bool CutParts(std::size_t firstSpace, std::size_t bang, std::size_t at);

    std::vector<MessageTag> tags_;
    bool hasSource_ = false;
    Span source_;
    Span sourceNick_;
    Span sourceUser_;
    Span sourceHost_;
    Span verb_;
    int numeric_ = 0;
    std::uint32_t paramCount_ = 0;
    std::array<Span, kMaxParams> params_{};
};
