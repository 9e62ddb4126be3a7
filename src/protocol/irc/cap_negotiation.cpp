#include "protocol/irc/cap_negotiation.h"

#include "protocol/irc/dispatch.h"
#include "protocol/irc/sent_lines.h"
#include "protocol/irc/text_util.h"

#include <charconv>

namespace {

const char kCutShort[] = "The server's capability list was cut short: logging in without SASL.";
const char kTooLong[] = "The server's capability list went on too long: logging in without SASL.";
const char kUnfinished[] = "The server did not finish the SASL login: identifying with NickServ instead.";
const char kNoPlain[] = "The server offers no SASL PLAIN login: identifying with NickServ instead.";
// What the server log shows for the credentials.
const char kMaskedCredentials[] = "AUTHENTICATE PLAIN ...";

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

int NumericOf(const std::string& word)
{
    int code = 0;
    if (word.size() != 3) return 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), code);
    return ec == std::errc() && end == word.data() + word.size() ? code : 0;
}

// True when the comma-separated list names PLAIN (in any case).
bool NamesPlain(const std::string& mechanisms)
{
    std::size_t at = 0;
    while (at <= mechanisms.size()) {
        const std::size_t comma = mechanisms.find(',', at);
        const std::size_t end = comma == std::string::npos ? mechanisms.size() : comma;
        if (Upper(mechanisms.substr(at, end - at)) == "PLAIN") return true;
        at = end + 1;
    }
    return false;
}

// Whether "sasl" is among the space-separated capability words; its value
// (the mechanisms, empty when none are named) goes to mechanisms.
bool FindSasl(const std::string& words, std::string& mechanisms)
{
    std::size_t at = 0;
    while (at < words.size()) {
        const std::size_t space = words.find(' ', at);
        const std::string word = words.substr(at, space == std::string::npos ? std::string::npos : space - at);
        const std::size_t eq = word.find('=');
        if (text::LowerAscii(word.substr(0, eq)) == "sasl") {
            mechanisms = eq == std::string::npos ? std::string() : word.substr(eq + 1);
            return true;
        }
        if (space == std::string::npos) break;
        at = space + 1;
    }
    return false;
}

}  // namespace

std::vector<std::string> LineWords(const std::string& rawline)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    const std::size_t n = rawline.size();
    const auto skipSpaces = [&] {
        while (at < n && rawline[at] == ' ') ++at;
    };
    const auto skipWord = [&] {
        while (at < n && rawline[at] != ' ') ++at;
    };
    if (at < n && rawline[at] == '@') skipWord();  // message tags
    skipSpaces();
    if (at < n && rawline[at] == ':') skipWord();  // the source
    for (skipSpaces(); at < n; skipSpaces()) {
        if (rawline[at] == ':' && !words.empty()) {
            words.push_back(rawline.substr(at + 1));
            break;
        }
        const std::size_t start = at;
        skipWord();
        words.push_back(rawline.substr(start, at - start));
    }
    return words;
}

CapNegotiation::CapNegotiation(std::string nick, std::string password)
    : nick_(std::move(nick)), password_(std::move(password))
{
}

CapNegotiation::Step CapNegotiation::Start()
{
    stage_ = Stage::List;
    return {{sent::CapLsLine()}, {}};
}

CapNegotiation::Step CapNegotiation::Finish(Outcome outcome, std::vector<std::string> log)
{
    outcome_ = outcome;
    // A server that never answered the capability request knows no CAP and
    // gets no more of it.
    if (outcome == Outcome::NoCap) return {{}, std::move(log)};
    return {{sent::CapEndLine()}, std::move(log)};
}

CapNegotiation::Step CapNegotiation::Receive(const std::string& rawline)
{
    if (Done()) return {};
    if (IsPing(rawline)) return {{PongLineFor(rawline)}, {}};
    Step step = {{}, {rawline}};
    if (++lines_ > kMaxLines) return Finish(Outcome::NickServ, {rawline, kTooLong});

    const std::vector<std::string> words = LineWords(rawline);
    if (words.empty()) return step;
    Step next;
    if (const int code = NumericOf(words[0])) {
        next = Numeric(code, words);
    } else if (Upper(words[0]) == "CAP" && words.size() >= 3) {
        const std::string sub = Upper(words[2]);
        if (sub == "LS" && stage_ == Stage::List)
            next = ListLine(words);
        else if ((sub == "ACK" || sub == "NAK") && stage_ == Stage::Request)
            next = Acknowledgement(words);
    } else if (Upper(words[0]) == "AUTHENTICATE" && stage_ == Stage::Mechanism && words.size() >= 2 &&
               words[1] == "+") {
        stage_ = Stage::Credentials;
        next.send = sent::AuthenticateCredentialLines(nick_, password_);
        next.log = {kMaskedCredentials};
    }
    step.send = std::move(next.send);
    step.log.insert(step.log.end(), next.log.begin(), next.log.end());
    return step;
}

CapNegotiation::Step CapNegotiation::ListLine(const std::vector<std::string>& words)
{
    // "CAP <target> LS [*] :<words>": a "*" before the words means more lines follow.
    const bool more = words.size() >= 5 && words[3] == "*";
    const std::string& offered = words.size() >= 4 ? words.back() : std::string();
    ++listLines_;
    if (!offered_.empty()) offered_ += ' ';
    offered_ += offered;
    if (listLines_ > kMaxListLines || offered_.size() > kMaxListBytes) return Finish(Outcome::NickServ, {kTooLong});
    if (more) return {};

    std::string mechanisms;
    if (password_.empty() || !FindSasl(offered_, mechanisms) || (!mechanisms.empty() && !NamesPlain(mechanisms)))
        return Finish(Outcome::NickServ);
    stage_ = Stage::Request;
    return {{sent::CapRequestSaslLine()}, {}};
}

CapNegotiation::Step CapNegotiation::Acknowledgement(const std::vector<std::string>& words)
{
    const std::string& caps = words.back();
    std::string unused;
    if (Upper(words[2]) != "ACK" || !FindSasl(caps, unused)) return Finish(Outcome::NickServ);
    stage_ = Stage::Mechanism;
    return {{sent::AuthenticatePlainLine()}, {}};
}

CapNegotiation::Step CapNegotiation::Numeric(int code, const std::vector<std::string>& words)
{
    switch (code) {
    case 421:  // unknown command
    case 451:  // "not registered": the server takes nothing but registration
        if (stage_ == Stage::List && listLines_ == 0) return Finish(Outcome::NoCap);
        return {};
    case 410:  // the server knows CAP, but not this request
        return Finish(Outcome::NickServ);
    case 903:  // SASL succeeded
    case 907:  // already logged in
        if (stage_ == Stage::Mechanism || stage_ == Stage::Credentials) return Finish(Outcome::LoggedIn);
        return {};
    case 908:  // the mechanisms the server does take
        if (words.size() >= 3 && !NamesPlain(words[2])) plainUnavailable_ = true;
        return {};
    case 902:  // the account cannot be used with this nick now
    case 904:  // failed
    case 905:  // too long
    case 906:  // aborted
        if (stage_ != Stage::Mechanism && stage_ != Stage::Credentials) return {};
        if (plainUnavailable_ || code == 902 || stage_ == Stage::Mechanism)
            return Finish(Outcome::NickServ, {kNoPlain});
        return Finish(Outcome::Refused);
    default: return {};
    }
}

CapNegotiation::Step CapNegotiation::Silence()
{
    if (Done()) return {};
    switch (stage_) {
    case Stage::NotStarted:
    case Stage::List:
        if (listLines_ == 0) return Finish(Outcome::NoCap);
        return Finish(Outcome::NickServ, {kCutShort});
    case Stage::Request: return Finish(Outcome::NickServ, {kUnfinished});
    case Stage::Mechanism:
    case Stage::Credentials: {
        Step step = Finish(Outcome::NickServ, {kUnfinished});
        step.send.insert(step.send.begin(), sent::AuthenticateAbortLine());
        return step;
    }
    }
    return {};
}
