#pragma once

#include <QString>

class ChatFrame;
class QWidget;

// Ignoring by nick, the one road for the nick-list menu and typed commands.

// Puts nick on the ignore list in memory ("@" + nick when asHost, so that
// unignoring gives the host star back) and into the account's "ignore.ini".
// A file that cannot be written is reported over asker.
void IgnoreNick(ChatFrame& frame, const QString& nick, bool asHost, QWidget* asker);

// Takes nick off the ignore list in memory (its plain and its "@" entry,
// letter case not counting) and out of "ignore.ini".
struct Unignored {
    bool plain = false;  // the plain entry was there
    bool host = false;   // the "@" entry was there
};
Unignored UnignoreNick(ChatFrame& frame, const QString& nick, QWidget* asker);
