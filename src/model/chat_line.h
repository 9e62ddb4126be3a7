#pragma once
// One line of chat as the model carries it to the windows that show it.

#include <QString>

#include <string>

// What a chat line is; the window that shows it picks its look by this.
enum class ChatLineKind {
    Message,      // someone said something: "nick: text"
    Action,       // someone did something ("/me"): "nick waves"
    Joined,       // "bob has joined the room"
    Left,         // a part or a quit
    Kicked,       // "alice has kicked the bob (reason)"
    ModeChanged,  // operators made or unmade, bans set or lifted
    Topic,        // the topic as shown at joining, or changed
    Renamed,      // "bob is now known as robert"
    Refused,      // the server refused the join
    Undelivered,  // the server refused a line the user sent: the program's note
};

struct ChatLine {
    ChatLineKind kind = ChatLineKind::Message;
    QString sender;  // the nick a message or action came from; empty for the others
    QString text;    // as shown, with its formatting bytes
    // The nick and the text as their bytes came, for the history (formatting
    // bytes and all); empty: sender and text as UTF-8.
    std::string keptSender;
    std::string keptText;
    bool mention = false;  // names the user: the line is marked and the user alerted
};
