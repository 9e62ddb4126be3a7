#include "protocol/irc/sent_lines.h"

#include "protocol/irc/text_split.h"

#include <algorithm>

#include "protocol/irc/text_util.h"

namespace {

std::string Base64(const std::string& bytes)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[v >> 18 & 63];
        out += kDigits[v >> 12 & 63];
        out += kDigits[v >> 6 & 63];
        out += kDigits[v & 63];
    }
    if (const std::size_t left = bytes.size() - i; left > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (left == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kDigits[v >> 18 & 63];
        out += kDigits[v >> 12 & 63];
        out += left == 2 ? kDigits[v >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace

namespace sent {

std::string UserLine(const std::string& nick) { return "user " + nick + " localhost localhost " + nick; }
std::string NickLine(const std::string& nick) { return "nick " + nick; }
std::string RegistrationUserLine(const std::string& nick, const std::string& fullname)
{
    return "user i " + nick + " localhost localhost " + fullname;
}
std::string IdentifyLine(const std::string& password) { return "nickserv identify " + password; }
std::string RegisterNickLine(const std::string& password, const std::string& email)
{
    return "nickserv register " + password + " " + email;
}
std::string PongLine(const std::string& token) { return "PONG :" + token; }
std::string CapLsLine() { return "CAP LS 302"; }
std::string CapRequestSaslLine() { return "CAP REQ :sasl"; }
std::string CapEndLine() { return "CAP END"; }
std::string AuthenticatePlainLine() { return "AUTHENTICATE PLAIN"; }
std::string AuthenticateAbortLine() { return "AUTHENTICATE *"; }
std::vector<std::string> AuthenticateCredentialLines(const std::string& nick, const std::string& password)
{
    constexpr std::size_t kPiece = 400;
    std::string credentials = nick;
    credentials.append(1, '\0').append(nick).append(1, '\0').append(password);
    const std::string encoded = Base64(credentials);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < encoded.size(); at += kPiece)
        lines.push_back("AUTHENTICATE " + encoded.substr(at, kPiece));
    // A full last piece would leave the server waiting for more.
    if (encoded.size() % kPiece == 0) lines.push_back("AUTHENTICATE +");
    return lines;
}
std::string MemoServListLine() { return "memoserv list"; }
std::string LusersLine() { return "lusers"; }
std::string QuitLine() { return "quit"; }
std::string AwayLine(const std::string& away) { return "away :" + away; }
std::string BackLine() { return "away"; }
std::string JoinLine(const std::string& selector) { return "join #" + selector; }
std::string PartSelectorLine(const std::string& selector) { return "part #" + selector; }
std::string JoinLine(const std::string& selector, const std::string& key)
{
    return key.empty() ? JoinLine(selector) : JoinLine(selector) + " " + key;
}
std::string PartSelectorLine(const std::string& selector, const std::string& reason)
{
    return reason.empty() ? PartSelectorLine(selector) : PartSelectorLine(selector) + " :" + reason;
}
std::string TopicLine(const std::string& room) { return "topic #" + room; }
std::string TopicLine(const std::string& room, const std::string& topic) { return "topic #" + room + " :" + topic; }
std::string PartRoomLine(const std::string& room) { return "part #" + room; }
std::string RoomMessageLine(const std::string& room, const std::string& text) { return "privmsg #" + room + " :" + text; }
std::string RoomActionLine(const std::string& room, const std::string& action)
{
    return "privmsg #" + room + " :\x01" "Action " + action;
}
std::string BanLine(const std::string& room, const std::string& member) { return "mode #" + room + " +b " + member; }
std::string UnbanLine(const std::string& room, const std::string& banned) { return "mode #" + room + " -b " + banned; }
std::string BanMaskOf(const std::string& banned)
{
    return banned.find_first_of("!@") == std::string::npos ? banned + "!*@*" : banned;
}
std::string MakeHostLine(const std::string& room, const std::string& member) { return "mode #" + room + " +o " + member; }
std::string DeHostLine(const std::string& room, const std::string& member) { return "mode #" + room + " -o " + member; }
std::string KickLine(const std::string& room, const std::string& member, const std::string& reason)
{
    return "kick #" + room + " " + member + " :" + reason;
}
std::string InviteLine(const std::string& buddy, const std::string& room) { return "INVITE " + buddy + " #" + room; }
std::string AdvertiseLine(const std::string& entry, const std::string& advert) { return "privmsg " + entry + " :" + advert; }
std::string WhoLine(const std::string& member) { return "who " + member; }
std::string PrivateMessageLine(const std::string& partner, const std::string& text)
{
    return "privmsg " + partner + " :" + text;
}
namespace {

// Room kept for ":" + nick!user@host + " " in front of a relayed line: a long
// nick, user name and host name.
constexpr std::size_t kPrefixReserve = 112;
constexpr std::size_t kLineLimit = 510;  // 512 with the CR LF
constexpr std::size_t kSmallestBudget = 64;

template <class Build>
std::vector<std::string> ChatLines(const std::string& text, Build build)
{
    const std::size_t overhead = build(std::string()).size() + kPrefixReserve;
    const std::size_t room = overhead < kLineLimit ? kLineLimit - overhead : 0;
    const std::size_t budget = std::max(kSmallestBudget, std::min(kChatTextBudget, room));
    std::vector<std::string> lines;
    for (const std::string& piece : SplitChatText(text, budget)) lines.push_back(build(piece));
    return lines;
}

}  // namespace

std::vector<std::string> RoomMessageLines(const std::string& room, const std::string& text)
{
    return ChatLines(text, [&room](const std::string& piece) { return RoomMessageLine(room, piece); });
}

std::vector<std::string> RoomActionLines(const std::string& room, const std::string& action)
{
    return ChatLines(action, [&room](const std::string& piece) { return RoomActionLine(room, piece); });
}

std::vector<std::string> PrivateActionLines(const std::string& partner, const std::string& action)
{
    return ChatLines(action, [&partner](const std::string& piece) {
        return "privmsg " + partner + " :\x01" "Action " + piece;
    });
}

std::vector<std::string> PrivateMessageLines(const std::string& partner, const std::string& text)
{
    return ChatLines(text, [&partner](const std::string& piece) { return PrivateMessageLine(partner, piece); });
}

std::string ListLine() { return "LIST"; }
std::string ListStartingLine(const std::string& letters) { return "LIST #" + letters + "*"; }
std::string PingLine(const std::string& token) { return "PING :" + token; }
std::string CtcpReplyLine(const std::string& nick, const std::string& reply) { return "NOTICE " + nick + " :\x01" + reply + "\x01"; }

}  // namespace sent

void PongLineFor(const IrcMessage& ping, std::string& out) { out.assign("PONG :").append(ping.LastParam()); }

std::string PongLineFor(const std::string& line)
{
    IrcMessage ping;
    ping.Decode(line);
    std::string out;
    PongLineFor(ping, out);
    return out;
}

namespace actions {
std::string Dance() { return "is dancing all round in the room"; }
std::string Laugh() { return "is laughing out loudly"; }
std::string Jump() { return "is jumping all round in the room"; }
std::string Scared() { return "is scared"; }
std::string Sing() { return "is singing loudly"; }
std::string Kiss(const std::string& member) { return "grabs " + member + " gently and starts kissing"; }
std::string Slap(const std::string& member)
{
    return "slaps " + member + " on the cheek, and whole room shouts \"Wow.... Great Shot\"";
}
std::string Love(const std::string& member) { return "loves " + member; }
std::string OfferDate(const std::string& member) { return "offers " + member + " a Date"; }
}  // namespace actions
