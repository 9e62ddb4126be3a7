#include "protocol/irc/ctcp.h"

namespace {

constexpr char kMark = '\x01';

std::string UpperAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

std::optional<CtcpRequest> ParseCtcp(const std::string& text)
{
    if (text.size() < 2 || text.front() != kMark)
        return std::nullopt;
    std::string body = text.substr(1);
    if (const std::size_t end = body.find(kMark); end != std::string::npos)
        body.erase(end);
    const std::size_t space = body.find(' ');
    CtcpRequest request;
    request.command = UpperAscii(body.substr(0, space));
    if (space != std::string::npos)
        request.argument = body.substr(space + 1);
    if (request.command.empty())
        return std::nullopt;
    return request;
}

std::optional<std::string> CtcpReplyText(const CtcpRequest& request, const CtcpFacts& facts)
{
    if (request.command == "VERSION")
        return "VERSION " + facts.version;
    if (request.command == "PING")
        return request.argument.empty() ? std::string("PING") : "PING " + request.argument;
    if (request.command == "TIME")
        return "TIME " + facts.time;
    if (request.command == "CLIENTINFO")
        return std::string("CLIENTINFO ACTION CLIENTINFO PING TIME VERSION");
    return std::nullopt;
}

bool CtcpLimiter::Allow(TimePoint now)
{
    while (!recent_.empty() && now - recent_.front() >= spell_)
        recent_.pop_front();
    if (recent_.size() >= answers_)
        return false;
    recent_.push_back(now);
    return true;
}
