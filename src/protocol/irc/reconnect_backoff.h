#pragma once
// How long to wait before each try to reconnect: 2 s, then 4, 8 ... up to
// five minutes, each with some jitter so that many clients cut off at once
// do not all come back in the same second.

#include <chrono>
#include <functional>

class ReconnectBackoff {
public:
    using Ms = std::chrono::milliseconds;

    struct Limits {
        Ms first{2000};
        Ms longest{300000};
        double jitter = 0.1;  // each wait is moved by up to this share either way
    };

    // random gives a number in [0, 1); tests pass a fixed one.
    explicit ReconnectBackoff(std::function<double()> random);
    ReconnectBackoff(Limits limits, std::function<double()> random);

    // The wait before the next try, and the count of tries moves on.
    Ms NextDelay();
    // Tries since the last success.
    int Tries() const { return tries_; }
    // A login succeeded: the next ending starts from the first wait again.
    void Reset() { tries_ = 0; }

private:
    Limits limits_;
    std::function<double()> random_;
    int tries_ = 0;
};
