#pragma once
// The program's waits made short for the life of a test object.
#include "common/timings.h"

// Shrinks the waits for the life of the object.
class ShrunkTimings {
public:
    explicit ShrunkTimings(int greetingMs = 250, int replyMs = 150) : saved_(timing())
    {
        timing().greetingMs = greetingMs;
        timing().replyMs = replyMs;
        timing().welcomeLimitMs = 10000;  // long enough for a real server's welcome
        timing().burstLimitMs = 10000;
        timing().splashMs = 50;
        timing().readerStopMs = 1000;
        // Lines go out unpaced, for the frames made from here on: a test of
        // the pace sets it back before making its frame.
        timing().sendBurstLines = 100000;
    }
    ~ShrunkTimings() { timing() = saved_; }
    ShrunkTimings(const ShrunkTimings&) = delete;
    ShrunkTimings& operator=(const ShrunkTimings&) = delete;

private:
    Timings saved_;
};
