#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

class ChatFrame;
class QWidget;
class InputBar;
class TranscriptView;
struct TypedLine;

// Where a typed command runs: the window's frame, its transcript, the window
// itself (the parent of any message box) and, in a room window, the room.
struct CommandPlace {
    ChatFrame* frame = nullptr;
    TranscriptView* view = nullptr;
    QWidget* window = nullptr;
    std::string room;  // the room as the server knows it, without "#"; empty in a private window
};

// The commands every chat window knows (joining, private messages, nick,
// away, user information, invitations, the ignore list, raw lines, clearing,
// help). False when line names a command that only the window itself knows.
bool RunCommonCommand(const CommandPlace& place, const TypedLine& line);

// Enter in a chat window's input line (the line is in its history already).
// A command is taken out of the line and handed to runCommand, with view's
// caret at its end; a command typed wrong stays in the line, to be put right,
// and its usage note goes to view. Any other line is a message: maySend, when
// given, may refuse it (saying why itself); a blank one goes nowhere; else the
// style bar's styles are put on it and send sends and echoes it. When send
// says nothing went out, the line gets back the text as typed, unstyled, so a
// second Enter styles it once only; when it went out, the line is emptied.
void RunTypedLine(InputBar& input, TranscriptView& view, const std::function<void(const TypedLine&)>& runCommand,
                  const std::function<bool(const QString&)>& send, const std::function<bool()>& maySend = {});

// A usage note, an unknown command's note or a command's answer: one
// "Talvessa: " line at the end of the transcript.
void WriteCommandNote(TranscriptView& view, const QString& note);

// Hands lines about target to the frame's road (a window on its own: the
// window's). A line that could never go (a line break or NUL inside, too
// long) and a closed connection get a note in the transcript instead; false
// then, and nothing was sent. onSent runs once they are written.
bool SendCommandLines(const CommandPlace& place, const std::vector<std::string>& lines,
                      const QString& target = QString(), std::function<void()> onSent = {});
