#pragma once

#include <QString>

#include <string>
#include <vector>

class ChatFrame;
class QWidget;
class TRichTextBox;
struct TypedLine;

// Where a typed command runs: the window's frame, its transcript, the window
// itself (the parent of any message box) and, in a room window, the room.
struct CommandPlace {
    ChatFrame* frame = nullptr;
    TRichTextBox* view = nullptr;
    QWidget* window = nullptr;
    QString room;  // without "#"; empty in a private window
};

// The commands every chat window knows (joining, private messages, nick,
// away, user information, invitations, the ignore list, raw lines, clearing,
// help). False when line names a command that only the window itself knows.
bool RunCommonCommand(const CommandPlace& place, const TypedLine& line);

// A usage note, an unknown command's note or a command's answer: one
// "Talvessa: " line at the end of the transcript.
void WriteCommandNote(TRichTextBox& view, const QString& note);

// Writes lines to the frame's connection. A line the connection would refuse
// (a line break or NUL inside) and a closed connection get a note in the
// transcript instead; false then, and nothing was sent.
bool SendCommandLines(const CommandPlace& place, const std::vector<std::string>& lines);
