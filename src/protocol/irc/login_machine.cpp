#include "protocol/irc/login_machine.h"

#include "protocol/irc/dispatch.h"
#include "protocol/irc/sent_lines.h"
#include "protocol/irc/text_util.h"

#include <algorithm>

namespace {

const char* const kNickInUse = kLoginNickInUse;
const char kNickRegistered[] = "Nick name is registered.Please provide the password or change the nick.";
const char kIncorrectPassword[] = "Incorrect password.";
const char kNotRegistered[] = "Not registered. Login as a guest with this nick or register it first.";
const char kInvalidNick[] = "Invalid nick";
const char kLoggingIn[] = "Logging in...";
const char kReadingGreeting[] = "Welcome! Reading the server's greeting...";

// The command a numeric reply is about: the word after the target ("USER" in
// ":irc.test 461 alice USER :Not enough parameters"), upper-cased.
std::string RepliedCommand(const IrcMessage& line)
{
    const std::vector<std::string> words = LineWords(line.rawline);
    if (words.size() < 4) return {};
    std::string word = words[2];
    for (char& c : word)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return word;
}

// True for the lines the capability talk answers to: CAP and AUTHENTICATE,
// and the numerics about capabilities, SASL and commands the server lacks.
// Everything else (the server's notices, a long greeting) passes it by.
bool ForCapabilityTalk(const IrcMessage& line)
{
    if (line.code != 0)
        return line.code == 410 || line.code == 421 || line.code == 451 || (line.code >= 900 && line.code <= 908);
    // Read from the raw line: servers send these without a source as well.
    const std::vector<std::string> words = LineWords(line.rawline);
    if (words.empty()) return false;
    const std::string command = text::LowerAscii(words.front());
    return command == "cap" || command == "authenticate";
}

}  // namespace

LoginMachine::LoginMachine(Settings settings)
    : settings_(std::move(settings)), cap_(settings_.nick, settings_.guest ? std::string() : settings_.password)
{
}

ExchangeStep LoginMachine::Start(Ms now)
{
    if (stage_ != Stage::NotStarted || Over()) return {};
    stage_ = Stage::Registering;
    startedAt_ = lastLineAt_ = now;
    ExchangeStep step;
    step.send = cap_.Start().send;
    step.send.push_back(sent::UserLine(settings_.nick));
    step.send.push_back(sent::NickLine(settings_.nick));
    step.progress = kLoggingIn;
    return step;
}

void LoginMachine::LogReceived(ExchangeStep& step, const IrcMessage& line) const
{
    if (!IsPing(line.rawline)) {
        step.log.push_back(line.rawline);
    } else if (settings_.guest) {
        // The reader has answered it; a guest's log shows both.
        step.log.push_back(line.rawline);
        step.log.push_back(PongLineFor(line.rawline));
    }
}

ExchangeStep LoginMachine::Receive(const IrcMessage& line, Ms now)
{
    if (Over() || stage_ == Stage::NotStarted) return {};
    lastLineAt_ = now;
    if (stage_ == Stage::Greeting) return AfterWelcome(line);
    if (line.code == 1) {
        welcomedAt_ = now;
        return Welcome(line);
    }
    return BeforeWelcome(line);
}

std::string LoginMachine::Refusal(const IrcMessage& line) const
{
    if (line.code != 0) {
        switch (line.code) {
        case 433: return kNickInUse;
        case 461: {
            const std::string about = RepliedCommand(line);
            return about == "USER" || about == "NICK" ? kInvalidNick : std::string();
        }
        case 512: return settings_.guest ? kNickRegistered : std::string();
        case 464: return settings_.guest ? std::string() : kIncorrectPassword;
        // A server without CAP may refuse the capability request this way;
        // that is no refusal of the login.
        case 451: return settings_.guest || RepliedCommand(line) == "CAP" ? std::string() : kNotRegistered;
        default: return {};
        }
    }
    if (settings_.guest && text::LowerAscii(line.command) == "notice" &&
        text::LowerAscii(line.params).find("is owned by someone else. please choose another") != std::string::npos)
        return kNickRegistered;
    return {};
}

ExchangeStep LoginMachine::BeforeWelcome(const IrcMessage& line)
{
    if (const std::string refusal = Refusal(line); !refusal.empty()) {
        ExchangeStep step;
        step.log.push_back(line.rawline);
        step.Add(End(ExchangeStep::Ending::Refused, refusal));
        return step;
    }
    if (cap_.Done() || IsPing(line.rawline) || !ForCapabilityTalk(line)) {
        ExchangeStep step;
        LogReceived(step, line);
        return step;
    }
    return CapStep(cap_.Receive(line.rawline), false);  // the talk logs the line itself
}

ExchangeStep LoginMachine::CapStep(CapNegotiation::Step talk, bool bySilence)
{
    ExchangeStep step;
    step.send = std::move(talk.send);
    step.log = std::move(talk.log);
    if (!cap_.Done()) return step;
    switch (cap_.Result()) {
    case CapNegotiation::Outcome::Refused: step.Add(End(ExchangeStep::Ending::Refused, kIncorrectPassword)); break;
    case CapNegotiation::Outcome::NoCap:
        // A server that let the request go unanswered may still be holding
        // the registration for it; one that knows no CAP ignores the end.
        if (bySilence) step.send.push_back(sent::CapEndLine());
        break;
    default: break;
    }
    return step;
}

ExchangeStep LoginMachine::Welcome(const IrcMessage& line)
{
    stage_ = Stage::Greeting;
    ExchangeStep step;
    step.log.push_back(line.rawline);
    step.welcomed = true;
    step.progress = kReadingGreeting;
    // A server that welcomed the client without finishing the capability
    // talk did not hold the registration for it: the talk is over.
    if (!settings_.guest && !SaslLoggedIn()) {
        // The log shows the nick; the password goes to the nick service only.
        step.log.push_back("nickserv identify " + settings_.nick);
        step.send.push_back(sent::IdentifyLine(settings_.password));
    }
    return step;
}

ExchangeStep LoginMachine::AfterWelcome(const IrcMessage& line)
{
    ExchangeStep step;
    if (settings_.guest) LogReceived(step, line);
    if (line.code == 376 || line.code == 422) step.Add(End(ExchangeStep::Ending::Done));
    return step;
}

ExchangeStep LoginMachine::Tick(Ms now)
{
    if (Over()) return {};
    if (stage_ == Stage::Registering) {
        if (now - startedAt_ >= settings_.welcomeLimit)
            return End(ExchangeStep::Ending::Failed, NoWelcomeText(settings_.welcomeLimit));
        if (!cap_.Done() && now - lastLineAt_ >= settings_.capSilence) return CapStep(cap_.Silence(), true);
        return {};
    }
    if (stage_ == Stage::Greeting) {
        if (now - welcomedAt_ >= settings_.greetingLimit)
            return End(ExchangeStep::Ending::Failed, FloodText(settings_.greetingLimit));
        if (now - lastLineAt_ >= settings_.greetingSilence) return End(ExchangeStep::Ending::Done);
    }
    return {};
}

std::optional<ExchangeMachine::Ms> LoginMachine::NextDeadline() const
{
    if (Over()) return std::nullopt;
    switch (stage_) {
    case Stage::NotStarted: return std::nullopt;
    case Stage::Registering: {
        Ms due = startedAt_ + settings_.welcomeLimit;
        if (!cap_.Done()) due = std::min(due, lastLineAt_ + settings_.capSilence);
        return due;
    }
    case Stage::Greeting: return std::min(welcomedAt_ + settings_.greetingLimit, lastLineAt_ + settings_.greetingSilence);
    }
    return std::nullopt;
}
