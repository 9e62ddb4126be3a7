#pragma once
// Sending lines where the user asked for them: they go on the one road, or
// the user is told once why not.
#include <QString>

#include <functional>
#include <string>
#include <vector>

class ChatFrame;
class LineSender;
class QWidget;

// A window that tells the user in its own transcript what became of the
// lines it was asked to send (the chat windows).
class SendNoteTaker {
public:
    virtual ~SendNoteTaker() = default;
    virtual void WriteSendNote(const QString& note) = 0;
};

// Hands lines about target (a room with its "#", a nick, or empty) to sender
// (none: not connected). A refusal is told where the user acted: a note in
// asker when it takes notes, else a box over asker. onSent runs once the
// lines are written (never when they are dropped). False when refused.
bool SendOrTell(LineSender* sender, const std::vector<std::string>& lines, const QString& target, QWidget* asker,
                std::function<void()> onSent = {});

// The program's own lines (after a login, answers to requests, rejoins): a
// refusal is a line in the server log. False when refused.
bool SendOrLog(ChatFrame& frame, const std::vector<std::string>& lines, const QString& target = QString(),
               bool immediate = false);
