// Commands typed into a private window's input line.
#include "chat/private_window.h"

#include "chat/command_runner.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "chat/typed_commands.h"
#include "model/chat_frame.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "chat/history_lines.h"
#include "protocol/irc/sent_lines.h"

void PrivateWindow::RunTypedCommand(const TypedLine& line)
{
    const QString& name = line.name;
    const CommandPlace place{Frame(), &Transcript(), this, {}};
    if (name == QLatin1String("me")) {
        const QString action = line.args.at(0);
        SendCommandLines(place, sent::PrivateActionLines(NameOnWire(Title()), ToWire(action)), Title(),
                         [this, action] {
                             MoveToAppendPosition(Transcript());
                             WriteActionLine(Transcript(), OwnNick(), action);
                             KeepPrivateLine(*this, OwnNick(), HistoryKind::Action, action);
                         });
        return;
    }
    if (QStringList{"part", "topic", "kick", "op", "deop"}.contains(name)) {
        WriteCommandNote(Transcript(), QStringLiteral("/%1 works in a room window").arg(name));
        return;
    }
    RunCommonCommand(place, line);
}
