#include "protocol/irc/registration_machine.h"

#include "protocol/irc/dispatch.h"
#include "protocol/irc/sent_lines.h"
#include "protocol/irc/text_util.h"

#include <algorithm>

namespace {

const char kAlreadyRegistered[] = "Nick name is already registered.";
const char kSent[] = "Nick registration sent to server, Please check the server response in log box.";

bool Contains(const std::string& haystack, const char* needle) { return haystack.find(needle) != std::string::npos; }

bool IsNumeric(const IrcMessage& line) { return line.code != 0; }

bool IsNotice(const IrcMessage& line) { return !IsNumeric(line) && text::LowerAscii(line.command) == "notice"; }

}  // namespace

RegistrationMachine::RegistrationMachine(Settings settings) : settings_(std::move(settings)) {}

void RegistrationMachine::Enter(Stage stage, Ms now)
{
    stage_ = stage;
    stageStartedAt_ = now;
}

ExchangeStep RegistrationMachine::Start(Ms now)
{
    if (stage_ != Stage::NotStarted || Over()) return {};
    startedAt_ = lastLineAt_ = now;
    Enter(Stage::Registering, now);
    ExchangeStep step;
    step.log = {"Sending user information."};
    step.send = {sent::RegistrationUserLine(settings_.nick, settings_.fullname)};
    step.log.push_back("Sending nick name.");
    step.send.push_back(sent::NickLine(settings_.nick));
    return step;
}

ExchangeStep RegistrationMachine::Refuse(const IrcMessage& line, const char* message)
{
    ExchangeStep step;
    step.log.push_back(line.rawline);
    step.Add(End(ExchangeStep::Ending::Refused, message));
    return step;
}

ExchangeStep RegistrationMachine::Receive(const IrcMessage& line, Ms now)
{
    if (Over() || stage_ == Stage::NotStarted) return {};
    lastLineAt_ = now;
    switch (stage_) {
    case Stage::Registering:
        if (IsNumeric(line) && line.code == 1) {
            Enter(Stage::Greeting, now);
            ExchangeStep step;
            step.log = {"User information accepted.", line.rawline};
            return step;
        }
        return Registering(line);
    case Stage::Greeting: {
        ExchangeStep step;
        if (!IsPing(line.rawline)) step.log.push_back(line.rawline);
        if (IsNumeric(line) && (line.code == 376 || line.code == 422)) step.Add(SendRequest(now));
        return step;
    }
    case Stage::Answer: {
        if (IsNumeric(line) || IsNotice(line)) {
            ExchangeStep step = Judge(line);
            if (!Over()) Enter(Stage::Tail, now);
            return step;
        }
        ExchangeStep step;
        if (!IsPing(line.rawline)) step.log.push_back(line.rawline);
        return step;
    }
    case Stage::Tail: {
        ++tailLines_;
        ExchangeStep step;
        if (!IsPing(line.rawline)) step.log.push_back(line.rawline);
        return step;
    }
    case Stage::NotStarted: break;
    }
    return {};
}

ExchangeStep RegistrationMachine::Registering(const IrcMessage& line)
{
    if (IsNumeric(line)) {
        switch (line.code) {
        case 461: return Refuse(line, "Error in registration data.");
        case 432: return Refuse(line, "Invalid Nick name.");
        case 433: return Refuse(line, "Nick name is already in use.");
        default: break;
        }
    }
    ExchangeStep step;
    step.log.push_back(line.rawline);
    // The reader has answered a keep-alive; the log shows the answer too.
    if (IsPing(line.rawline)) step.log.push_back(PongLineFor(line.rawline));
    return step;
}

ExchangeStep RegistrationMachine::SendRequest(Ms now)
{
    Enter(Stage::Answer, now);
    ExchangeStep step;
    step.send = {sent::RegisterNickLine(settings_.password, settings_.email)};
    return step;
}

ExchangeStep RegistrationMachine::Judge(const IrcMessage& line)
{
    if (IsNumeric(line) && line.code == 440) return Refuse(line, "Service not available.");
    if (IsNumeric(line) && line.code == 462) return Refuse(line, kAlreadyRegistered);
    const std::string params = text::LowerAscii(line.params);
    if (IsNotice(line) && (Contains(params, "owned by someone else") || Contains(params, "already")))
        return Refuse(line, kAlreadyRegistered);
    return {};  // the request counts as sent; this answer is not logged
}

ExchangeStep RegistrationMachine::Tick(Ms now)
{
    if (Over()) return {};
    switch (stage_) {
    case Stage::NotStarted: return {};
    case Stage::Registering:
        if (now - startedAt_ >= settings_.welcomeLimit)
            return End(ExchangeStep::Ending::Failed, NoWelcomeText(settings_.welcomeLimit));
        return {};
    case Stage::Greeting:
        if (now - stageStartedAt_ >= settings_.burstLimit)
            return End(ExchangeStep::Ending::Failed, FloodText(settings_.burstLimit));
        if (now - lastLineAt_ >= settings_.greetingSilence) return SendRequest(now);
        return {};
    case Stage::Answer:
        // No answer in time counts as sent, like an answer that refused nothing.
        if (now - stageStartedAt_ >= settings_.answerWait) Enter(Stage::Tail, now);
        return {};
    case Stage::Tail:
        if (now - stageStartedAt_ >= settings_.burstLimit)
            return End(ExchangeStep::Ending::Failed, FloodText(settings_.burstLimit));
        if ((tailLines_ == 0 && now - stageStartedAt_ >= settings_.tailFirst) ||
            (tailLines_ > 0 && now - lastLineAt_ >= settings_.tailSilence))
            return End(ExchangeStep::Ending::Done, kSent);
        return {};
    }
    return {};
}

std::optional<ExchangeMachine::Ms> RegistrationMachine::NextDeadline() const
{
    if (Over()) return std::nullopt;
    switch (stage_) {
    case Stage::NotStarted: return std::nullopt;
    case Stage::Registering: return startedAt_ + settings_.welcomeLimit;
    case Stage::Greeting:
        return std::min(stageStartedAt_ + settings_.burstLimit, lastLineAt_ + settings_.greetingSilence);
    case Stage::Answer: return stageStartedAt_ + settings_.answerWait;
    case Stage::Tail:
        return std::min(stageStartedAt_ + settings_.burstLimit,
                        tailLines_ == 0 ? stageStartedAt_ + settings_.tailFirst : lastLineAt_ + settings_.tailSilence);
    }
    return std::nullopt;
}
