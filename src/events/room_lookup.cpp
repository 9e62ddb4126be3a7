#include "events/room_lookup.h"

#include "chat/nick_list_view.h"
#include "chat/room_window.h"
#include "common/wire_text.h"
#include "protocol/irc/text_util.h"
#include "common/chat_frame.h"

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

RoomWindow* FindRoomWindowByName(ChatFrame& frame, const QString& room)
{
    const QString wanted = TrimControls(room);
    if (wanted.isEmpty())
        return nullptr;
    for (QWidget* child : frame.ChildWindows()) {
        auto* window = qobject_cast<RoomWindow*>(child);
        // An empty title stands for no room, not for "#"; a window the user
        // took out of its room takes none of its lines.
        if (!window || window->LeftRoom() || TrimControls(window->Title()).isEmpty())
            continue;
        if (QString::compare(u'#' + TrimControls(window->Title()), wanted, Qt::CaseInsensitive) == 0)
            return window;
    }
    return nullptr;
}

RoomWindow* FindRoomWindow(ChatFrame& frame, const IrcMessage& line)
{
    // A window joined from the room list knows its room by the server's
    // bytes, which its cleaned title may no longer spell.
    const std::string bytes = RoomWireNameOf(line);
    if (bytes.size() > 1) {
        const std::string wanted = text::LowerAscii(bytes);
        for (QWidget* child : frame.ChildWindows()) {
            auto* window = qobject_cast<RoomWindow*>(child);
            if (window && !window->LeftRoom() && window->HasRoomOnWire() && text::LowerAscii(text::Trim('#' + window->RoomOnWire())) == wanted)
                return window;
        }
    }
    return FindRoomWindowByName(frame, FromWire(bytes));
}

QTreeWidgetItem* FindNickEntry(const NickListView& list, const QString& text)
{
    return list.FindPrefix(text);
}

QTreeWidgetItem* FindNickEntryExact(const NickListView& list, const QString& text)
{
    return list.FindExact(text);
}
