#include "shell/sasl_login.h"

#include "common/timings.h"
#include "protocol/stream/line_connection.h"
#include "shell/burst_read.h"

CapNegotiation::Outcome NegotiateSasl(LineConnection& connection, const std::function<std::string(int)>& read,
                                      const std::function<void(const std::string&)>& log, const std::string& nick,
                                      const std::string& password)
{
    CapNegotiation talk(nick, password);
    const auto carryOut = [&](const CapNegotiation::Step& step) {
        for (const std::string& line : step.log) log(line);
        for (const std::string& line : step.send) connection.WriteLine(line);
    };
    carryOut(talk.Start());
    BurstRead replies(read);
    while (!talk.Done()) {
        const std::string line = replies.Next(timing().replyMs);
        carryOut(line.empty() ? talk.Silence() : talk.Receive(line));
    }
    return talk.Result();
}
