#pragma once
// The pace of the lines the program sends: a small burst at once, then one
// line every two seconds, as servers expect of a client that is not to be
// cut off for flooding.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// Holds the lines that may not go out yet and says when each may. It keeps a
// "sent until" clock as servers do: every line pushes it on by its cost, and a
// line may go while that clock is less than the burst window ahead of now.
// Lines of the immediate kind (PONG, QUIT, the login's lines) go at once,
// ahead of any waiting line, and still count.
class SendPacer {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using Ms = std::chrono::milliseconds;

    struct Limits {
        int burstLines = 5;         // lines that may go at once after a quiet spell
        Ms spacing{2000};           // the cost of one ordinary line
        std::size_t costBytes = 400;  // a longer line costs spacing per this many bytes
    };

    enum class Priority { Immediate, Paced };

    // One line handed to the pacer: its bytes, the target it is about (room
    // or nick, empty when none: dropped with that target's lines), and an id
    // the caller uses to show the line once it is sent.
    struct Line {
        std::uint64_t id = 0;
        std::string bytes;
        std::string target;
    };

    SendPacer() = default;
    explicit SendPacer(Limits limits) : limits_(limits) {}

    // Queues a line and returns its id. An immediate line is put before
    // every paced one.
    std::uint64_t Enqueue(std::string bytes, std::string target, Priority priority);
    // The lines that may go at now, taken from the queue in order.
    std::vector<Line> TakeDue(TimePoint now);
    // When the first waiting line may go; none when nothing waits.
    std::optional<TimePoint> NextDue(TimePoint now) const;
    std::size_t Waiting() const { return immediate_.size() + paced_.size(); }
    // Drops the waiting lines about target (letter case aside) and returns them.
    std::vector<Line> DropTarget(const std::string& target);
    // Drops every waiting line (a disconnect) and returns them; the clock starts afresh.
    std::vector<Line> DropAll();
    // What a line of that many bytes (CRLF included) costs on the clock.
    Ms CostOf(std::size_t bytes) const;
    // The time a queue of lines of these sizes takes to send from a quiet start.
    Ms TimeToSend(const std::vector<std::size_t>& sizes) const;

private:
    void Charge(std::size_t bytes, TimePoint now);
    bool MayGo(TimePoint now) const;

    Limits limits_;
    std::deque<Line> immediate_;
    std::deque<Line> paced_;
    std::optional<TimePoint> sentUntil_;
    std::uint64_t nextId_ = 1;
};
