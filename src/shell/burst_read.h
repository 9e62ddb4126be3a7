#pragma once
// The reads of a login or registration exchange that end at a silence.
#include <chrono>
#include <functional>
#include <string>

// One burst of lines, read until the server falls silent. A server that never
// pauses long enough would hold the exchange for ever: the burst gives up once
// it has lasted timing().burstLimitMs in all (counted from construction).
class BurstRead {
public:
    // read(timeoutMs) gives the next line, or an empty text when none came in time.
    explicit BurstRead(std::function<std::string(int)> read);

    // The next line, or an empty text once silenceMs passed without one.
    // Throws TransportError ("The server did not stop sending ...") when the
    // limit comes first.
    std::string Next(int silenceMs);

private:
    std::function<std::string(int)> read_;
    std::chrono::milliseconds limit_;
    std::chrono::steady_clock::time_point deadline_;
};
