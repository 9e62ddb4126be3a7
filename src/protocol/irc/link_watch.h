#pragma once
// Notices a dead link and measures the lag: after a quiet spell the program
// sends a PING of its own; no line at all for long after it means the server
// stopped answering.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// Fed with every received line and with clock ticks; says when to send a
// PING and when the link is dead. The answer to its own PING is recognised
// by its token, so that the caller can keep it out of every window.
class LinkWatch {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Ms = std::chrono::milliseconds;

    struct Limits {
        Ms quietBeforePing{30000};  // no line for this long: a PING goes out
        Ms answerWithin{90000};     // no line for this long after it: the link is dead
    };

    enum class Action { None, SendPing, Dead };

    explicit LinkWatch(TimePoint now) : lastHeard_(now) {}
    LinkWatch(TimePoint now, Limits limits) : limits_(limits), lastHeard_(now) {}

    // Any line from the server.
    void Heard(TimePoint now);
    // A PONG arrived with this token: true when it answers the program's own
    // PING (the lag is then known, and the line is not to be shown).
    bool AnsweredBy(const std::string& token, TimePoint now);
    // What is due at now; SendPing gives the token in PingToken().
    Action Tick(TimePoint now);
    const std::string& PingToken() const { return token_; }
    // The lag of the last answered PING.
    std::optional<Ms> Lag() const { return lag_; }
    // The whole silence after which the link counts as dead.
    Ms DeadAfter() const { return limits_.quietBeforePing + limits_.answerWithin; }

private:
    Limits limits_;
    TimePoint lastHeard_;
    std::optional<TimePoint> pingSent_;
    std::string token_;
    std::uint64_t pings_ = 0;
    std::optional<Ms> lag_;
};
