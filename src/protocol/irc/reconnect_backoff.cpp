#include "protocol/irc/reconnect_backoff.h"

#include <algorithm>

ReconnectBackoff::ReconnectBackoff(std::function<double()> random) : random_(std::move(random)) {}

ReconnectBackoff::ReconnectBackoff(Limits limits, std::function<double()> random)
    : limits_(limits), random_(std::move(random))
{
}

ReconnectBackoff::Ms ReconnectBackoff::NextDelay()
{
    // Doubling stops well before the count could overflow the shift.
    const int doublings = std::min(tries_, 20);
    ++tries_;
    const long long plain = std::min<long long>(limits_.first.count() << doublings, limits_.longest.count());
    const double shift = (random_ ? random_() * 2.0 - 1.0 : 0.0) * limits_.jitter;
    const long long waited = static_cast<long long>(static_cast<double>(plain) * (1.0 + shift));
    return Ms(std::clamp<long long>(waited, 1, limits_.longest.count()));
}
