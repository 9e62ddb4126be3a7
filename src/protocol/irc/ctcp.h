#pragma once
// Client-to-client requests carried in a private message between two \x01
// bytes (VERSION, PING, TIME, CLIENTINFO) and the answers to them.

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

struct CtcpRequest {
    std::string command;   // upper case: "VERSION", "PING", "ACTION", ...
    std::string argument;  // what follows the command word, as sent
    bool operator==(const CtcpRequest&) const = default;
};

// The request a message text carries, when it starts with \x01 (the closing
// \x01 may be missing, as some clients leave it out); none otherwise.
std::optional<CtcpRequest> ParseCtcp(const std::string& text);

// What the program says of itself and of the time.
struct CtcpFacts {
    std::string version;  // "Talvessa 2.3 on Linux"
    std::string time;     // the local time as people read it
};

// The answer's text (without the \x01 bytes) to a request the program
// answers; none for ACTION and every request it does not know.
std::optional<std::string> CtcpReplyText(const CtcpRequest& request, const CtcpFacts& facts);

// At most a few answers in a spell: a flood of requests must not make the
// program flood the server in turn. Further requests go unanswered.
class CtcpLimiter {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    explicit CtcpLimiter(std::size_t answers = 3, std::chrono::milliseconds spell = std::chrono::seconds(10))
        : answers_(answers), spell_(spell)
    {
    }
    // True when one more answer may go at now (it is then counted).
    bool Allow(TimePoint now);

private:
    std::size_t answers_;
    std::chrono::milliseconds spell_;
    std::deque<TimePoint> recent_;
};
