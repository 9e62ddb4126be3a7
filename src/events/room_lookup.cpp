#include "events/room_lookup.h"

#include "common/wire_text.h"
#include "model/network.h"
#include "protocol/irc/text_util.h"

namespace {

// From the first "#" of params up to, not including, the first ":" after it;
// without such a ":", up to the next space.
std::string RoomBeforeColon(const std::string& params)
{
    const std::size_t hash = params.find('#');
    if (hash == std::string::npos)
        return {};
    std::size_t end = params.find(':', hash);
    if (end == std::string::npos)
        end = params.find(' ', hash);
    return params.substr(hash, end == std::string::npos ? std::string::npos : end - hash);
}

// From the first "#" of params up to and including the next space.
std::string RoomWithSpace(const std::string& params)
{
    const std::size_t hash = params.find('#');
    if (hash == std::string::npos)
        return {};
    const std::size_t space = params.find(' ', hash);
    return params.substr(hash, space == std::string::npos ? std::string::npos : space - hash + 1);
}

std::string RoomBytesOf(const IrcMessage& line)
{
    if (line.kind == "code") {
        switch (line.code) {
        case 471:
        case 473:
        case 474:
        case 475:
        case 477:
        case 485:
            return RoomBeforeColon(line.params);
        case 332:
        case 353:
            return RoomWithSpace(line.params);
        default:
            return {};
        }
    }
    const std::string command = text::LowerAscii(line.command);
    if (command == "join" || command == "part" || command == "privmsg" || command == "kick" || command == "mode" ||
        command == "topic")
        return line.firstparam;
    return {};
}

std::string RoomWireNameOf(const IrcMessage& line)
{
    std::string name = text::Trim(RoomBytesOf(line));
    if (!name.empty() && name.front() == ':')
        name.erase(0, 1);
    return name;
}

}  // namespace

QString RoomNameOf(const IrcMessage& line) { return FromWire(RoomWireNameOf(line)); }

Room* RoomOfLine(Network& network, const IrcMessage& line) { return network.RoomOfLine(RoomWireNameOf(line)); }
