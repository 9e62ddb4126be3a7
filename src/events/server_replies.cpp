#include "events/server_replies.h"

#include "model/chat_frame.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "events/chat_session.h"
#include "events/room_lookup.h"
#include "model/network.h"
#include "model/room.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/text_util.h"

#include <QLineEdit>

#include <string_view>
#include <vector>

namespace {

// params without the space that the parser appends to it.
std::string_view WithoutParserSpace(const std::string& params)
{
    std::string_view p(params);
    if (!p.empty() && p.back() == ' ') p.remove_suffix(1);
    return p;
}

}  // namespace

UserProfile ParseWhoReply(const std::string& params)
{
    // own nick, room, user, host, server, nick, flags, then ":hops full name"
    std::string_view p = WithoutParserSpace(params);
    std::vector<std::string_view> words;
    std::string_view trailing;
    while (!p.empty() && words.size() < 7) {
        if (p.front() == ':') break;
        const std::size_t space = p.find(' ');
        words.push_back(p.substr(0, space));
        p = space == std::string_view::npos ? std::string_view() : p.substr(space + 1);
    }
    trailing = p;
    if (!trailing.empty() && trailing.front() == ':') trailing.remove_prefix(1);
    const std::size_t afterHops = trailing.find(' ');
    const std::string_view fullName =
        afterHops == std::string_view::npos ? std::string_view() : trailing.substr(afterHops + 1);
    const auto word = [&words](std::size_t i) {
        return i < words.size() ? ShownWireText(std::string(words[i])) : QString();
    };
    UserProfile profile;
    profile.host = word(3);
    profile.server = word(4);
    profile.nick = word(5);
    profile.flags = word(6);
    profile.fullName = ShownWireText(text::Trim(std::string(fullName)));
    return profile;
}

void HandleRoomListEntry(ChatSession& session, const IrcMessage& line)
{
    // A listing cut short by a disconnect leaves its rest in the queue: the
    // list was emptied for the new state, and those rooms are gone with it.
    if (session.Ending()) return;
    // After the first "#" (the whole of params when there is none), the
    // name up to and including its first space, the count up to the colon,
    // the topic after it; each keeps the spaces the cuts leave.
    const std::size_t hash = line.params.find('#');
    const std::string rest = line.params.substr(hash == std::string::npos ? 0 : hash + 1);
    const std::size_t space = rest.find(' ');
    const std::string name = rest.substr(0, space == std::string::npos ? std::string::npos : space + 1);
    const std::string after = space == std::string::npos ? std::string() : rest.substr(space + 1);
    const std::size_t colon = after.find(':');
    const std::string count = after.substr(0, colon);
    const std::string topic = colon == std::string::npos ? std::string() : after.substr(colon + 1);
    session.Model().ListRoom(ShownWireText(name), ShownWireText(topic), ShownWireText(count), name);
}

void HandleChannelCount(ChatSession& session, const IrcMessage& line)
{
    const std::size_t space = line.params.find(' ');
    if (space == std::string::npos) return;
    const std::size_t colon = line.params.find(':', space);
    const std::string count = line.params.substr(space, colon == std::string::npos ? std::string::npos : colon - space);
    session.Model().SetRoomTotal(ShownWireText(text::Trim(count)));
}

void HandleUserCount(ChatSession& session, const IrcMessage& line)
{
    static const std::string kIHave = ":I have ";
    const std::string_view params = WithoutParserSpace(line.params);
    const std::size_t at = params.find(kIHave);
    if (at == std::string_view::npos) return;
    std::string_view count = params.substr(at + kIHave.size());
    count = count.substr(0, count.find(' '));
    session.Model().SetUserTotal(ShownWireText(text::Trim(std::string(count))));
}

void HandleWhoReply(ChatSession& session, const IrcMessage& line)
{
    ChatFrame& frame = session.Frame();
    const UserProfile profile = ParseWhoReply(line.params);
    frame.AppendLog(QStringLiteral("messagestring =") + profile.host);
    frame.AppendLog(QStringLiteral("messagestring =") + FromWire(line.rawline));
    if (frame.WhoPurpose() == QLatin1String("profile")) frame.ShowUserProfile(profile);
}

void HandleLoginError(ChatSession& session, const IrcMessage& line)
{
    (void)line;
    // The reader's end and the frame's disconnected handling take it from here.
    session.Frame().Connection().Disconnect();
}

void HandleJoinError(ChatSession& session, const IrcMessage& line, int code)
{
    Room* room = RoomOfLine(session.Model(), line);
    if (!room) return;
    ChatLine refused;
    refused.kind = ChatLineKind::Refused;
    switch (code) {
    case 485: refused.text = QStringLiteral("You are not a channel owner"); break;
    case 474: refused.text = QStringLiteral("Can not join this room, You are banned"); break;
    case 471: refused.text = QStringLiteral("Can not join this room, it is full"); break;
    case 473: refused.text = QStringLiteral("Can not join this room, it takes invited users only"); break;
    case 475: refused.text = QStringLiteral("Can not join this room, the key is wrong"); break;
    default: refused.text = ShownWireText(line.params); break;  // the server's own words
    }
    room->AppendLine(refused);
}
