// Commands typed into a room window's input line. Each one goes the road of
// the button or menu entry that does the same.
#include "chat/room_window.h"

#include "chat/command_runner.h"
#include "chat/nick_list_actions.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "chat/typed_commands.h"
#include "common/wire_text.h"
#include "protocol/irc/sent_lines.h"

#include <QLineEdit>

void RoomWindow::RunTypedCommand(const TypedLine& line)
{
    const QString& name = line.name;
    const bool roomOnly = QStringList{"me", "part", "topic", "kick", "op", "deop"}.contains(name);
    if (roomOnly && !InRoom()) {
        WriteCommandNote(Transcript(), QStringLiteral("Please join a room first"));
        return;
    }
    const std::string room = RoomOnWire();
    if (name == QLatin1String("me"))
        SendAction(line.args.at(0));
    else if (name == QLatin1String("part"))
        Leave(line.args.value(0));
    else if (name == QLatin1String("topic"))
        SendRoomLines({line.args.isEmpty() ? sent::TopicLine(room) : sent::TopicLine(room, ToWire(line.args.at(0)))});
    else if (name == QLatin1String("kick"))
        SendRoomLines({sent::KickLine(room, ToWire(line.args.at(0)), ToWire(line.args.value(1)))});
    else if (name == QLatin1String("op"))
        SendRoomLines({sent::MakeHostLine(room, ToWire(line.args.at(0)))});
    else if (name == QLatin1String("deop"))
        SendRoomLines({sent::DeHostLine(room, ToWire(line.args.at(0)))});
    else if (name == QLatin1String("ignore"))
        nickActions_->Ignore(line.args.at(0));
    else if (name == QLatin1String("unignore"))
        nickActions_->Unignore(line.args.at(0));
    else
        RunCommonCommand(CommandPlace{Frame(), &Transcript(), this, InRoom() ? room : std::string()}, line);
}
