#pragma once
// One line of chat as the model carries it to the windows that show it.

#include <QString>
#include <QtGlobal>

// What a chat line is; the window that shows it picks its look by this.
enum class ChatLineKind {
    Message,  // someone said something
    Action,   // someone did something ("/me")
    Notice,   // a notice from a user or a service
    Own,      // the user's own line, echoed
    Status,   // joins, parts, quits, kicks, modes, topics, renames
    Note,     // the program's own word: "Disconnected from the server." and the like
};

struct ChatLine {
    qint64 timeMs = 0;  // when it arrived (or the server's own time), ms since the epoch
    ChatLineKind kind = ChatLineKind::Message;
    QString sender;     // the nick it came from; empty for status lines and notes
    QString text;       // with its formatting bytes, as shown text
};
