#include "protocol/irc/link_watch.h"

void LinkWatch::Heard(TimePoint now)
{
    lastHeard_ = now;
}

bool LinkWatch::AnsweredBy(const std::string& token, TimePoint now)
{
    if (!pingSent_ || token != token_)
        return false;
    lastHeard_ = now;
    lag_ = std::chrono::duration_cast<Ms>(now - *pingSent_);
    pingSent_.reset();
    return true;
}

LinkWatch::Action LinkWatch::Tick(TimePoint now)
{
    if (pingSent_) {
        // Any line since the PING shows the link alive; the answer may be late.
        if (lastHeard_ >= *pingSent_) {
            if (now - lastHeard_ >= limits_.quietBeforePing) {
                pingSent_ = now;
                token_ = "talvessa-" + std::to_string(++pings_);
                return Action::SendPing;
            }
            return Action::None;
        }
        return now - *pingSent_ >= limits_.answerWithin ? Action::Dead : Action::None;
    }
    if (now - lastHeard_ < limits_.quietBeforePing)
        return Action::None;
    pingSent_ = now;
    token_ = "talvessa-" + std::to_string(++pings_);
    return Action::SendPing;
}
