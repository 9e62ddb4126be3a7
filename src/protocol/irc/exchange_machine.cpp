#include "protocol/irc/exchange_machine.h"

void ExchangeStep::Add(ExchangeStep later)
{
    send.insert(send.end(), later.send.begin(), later.send.end());
    log.insert(log.end(), later.log.begin(), later.log.end());
    if (!later.progress.empty()) progress = std::move(later.progress);
    welcomed = welcomed || later.welcomed;
    if (later.ending != Ending::None) {
        ending = later.ending;
        message = std::move(later.message);
    }
}

ExchangeStep ExchangeMachine::End(ExchangeStep::Ending ending, std::string message)
{
    over_ = true;
    ExchangeStep step;
    step.ending = ending;
    step.message = std::move(message);
    return step;
}

ExchangeStep ExchangeMachine::Closed(const std::string& why)
{
    if (over_) return {};
    return End(ExchangeStep::Ending::Failed, why.empty() ? "The server closed the connection." : why);
}

std::string DurationText(ExchangeMachine::Ms ms)
{
    const auto n = ms.count();
    if (n >= 1000 && n % 1000 == 0) return std::to_string(n / 1000) + " seconds";
    return std::to_string(n) + " ms";
}

std::string FloodText(ExchangeMachine::Ms limit)
{
    return "The server did not stop sending: it went on for " + DurationText(limit) +
           " without a pause, so the connection was closed.";
}

std::string NoWelcomeText(ExchangeMachine::Ms limit)
{
    return "The server did not welcome the login within " + DurationText(limit) + ", so the connection was closed.";
}
