#pragma once
// One received server line cut into its fields (despite its name, it parses).
#include <stdexcept>
#include <string>

// A second token that looks numeric but is no whole 32-bit number.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The parsed form of one server line. The cuts go by the positions of the first
// spaces, the first "!" and the first "@"; several fields keep a leading ":" or a
// trailing space, and the handlers rely on exactly that.
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

    // Fills the fields from one line (no CR, no LF). Only the fields that the line's
    // kind sets are written: a record reused for a command line keeps its last
    // numeric code, and one reused for a numeric keeps its last command.
    // Throws ConversionError for a numeric-looking second token out of range.
    void ParseLine(const std::string& line);

    // Empties every field (code 0) but keeps the memory, so a spent record can
    // stand in for a new one without allocating.
    void Reset();
};
