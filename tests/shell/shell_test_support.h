#pragma once
// Helpers shared by the shell tests: the prompt recorder and shrunk timings.
#include "common/timings.h"
#include "support/prompt_recorder.h"

// Shrinks the waits for the life of the object.
class ShrunkTimings {
public:
    explicit ShrunkTimings(int greetingMs = 250, int replyMs = 150) : saved_(timing())
    {
        timing().greetingMs = greetingMs;
        timing().replyMs = replyMs;
        timing().splashMs = 50;
        timing().readerStopMs = 1000;
    }
    ~ShrunkTimings() { timing() = saved_; }

private:
    Timings saved_;
};
