#include "shell/burst_read.h"

#include "common/timings.h"
#include "protocol/stream/line_connection.h"

#include <algorithm>

namespace {

std::string Duration(std::chrono::milliseconds ms)
{
    const auto n = ms.count();
    if (n >= 1000 && n % 1000 == 0) return std::to_string(n / 1000) + " seconds";
    return std::to_string(n) + " ms";
}

}  // namespace

BurstRead::BurstRead(std::function<std::string(int)> read)
    : read_(std::move(read)),
      limit_(timing().burstLimitMs),
      deadline_(std::chrono::steady_clock::now() + limit_)
{
}

std::string BurstRead::Next(int silenceMs)
{
    const auto fail = [this] {
        return TransportError("The server did not stop sending: it went on for " + Duration(limit_) +
                              " without a pause, so the connection was closed.");
    };
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now()).count();
    if (left <= 0) throw fail();
    const int wait = static_cast<int>(std::min<long long>(silenceMs, left));
    std::string line = read_(wait);
    // A read cut short by the limit is no silence.
    if (line.empty() && wait < silenceMs) throw fail();
    return line;
}
