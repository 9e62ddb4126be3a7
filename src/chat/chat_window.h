#pragma once

#include "model/line_writes.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ChatFrame;
class InputBar;
class LineConnection;
class LineSender;
class QMdiSubWindow;
class TitleBarFlasher;
class TranscriptView;

// The notes a chat window writes when a line it was asked to send did not go
// out: no open connection, or a line break or NUL inside what was typed.
inline const QString kNotConnectedNote = QStringLiteral("You are not connected to a server: nothing was sent");
// "Send 40 lines to #room? About 70 s."
QString PasteQuestion(int lines, const QString& target, int milliseconds);
inline const QString kUnsendableNote = QStringLiteral("A line break or NUL character cannot be sent: nothing was sent");

// The base of the room and private windows.
// It holds what both share: the transcript with its find bar and links, the
// input bar under it, the notes about the connection, Save Chat, and the road
// their chat lines go out by.
class ChatWindow : public QWidget, public SendNoteTaker {
    Q_OBJECT

public:
    // frame may be null (a window on its own); its connection is the
    // window's until SetConnection says otherwise.
    explicit ChatWindow(ChatFrame* frame, QWidget* parent = nullptr);
    ~ChatWindow() override;

    QString Title() const { return windowTitle(); }

    // The frame the window lives in (may be null) and the connection its
    // lines are written to (not owned; may be null).
    ChatFrame* Frame() const { return frame_; }
    // The frame's connection and road become the window's.
    void SetFrame(ChatFrame* frame);
    LineConnection* Connection() const { return connection_; }
    // A window on its own (no frame) writes to connection through a road
    // of its own; a window in the frame always takes the frame's.
    void SetConnection(LineConnection* connection);
    // The road this window's lines go by: the frame's; null when there is none.
    LineSender* Sender() const;
    // A note at the end of the transcript about lines that did not go.
    void WriteSendNote(const QString& note) override;
    // The lines waiting for their turn that are about target go unsent; the
    // transcript says how many.
    void DropWaitingLines(const QString& target);
    // The user's nick: the frame's, or without a frame the one given here.
    QString OwnNick() const;
    void SetOwnNick(const QString& nick) { ownNick_ = nick; }

    // The transcript, for the handlers that write received lines into it.
    TranscriptView& Transcript() const { return *transcript_; }
    // What the input line holds as typed.
    QString InputText() const;
    // nick said something here: Tab offers that nick first.
    void NoteSpeaker(const QString& nick);
    // A line from the model is about to be shown: while the handlers are
    // in the middle of a run of lines, the transcript lays out once at its end.
    void HoldLayoutWhileLinesCome();

    // The connection ended (byUser: the user disconnected): a note at the
    // end of the transcript.
    virtual void ConnectionLost(bool byUser = false);
    // Why the program closed the connection, after the "lost" note.
    void ConnectionEndedBecause(const QString& why);

    // A line arrived: the title bar flashes unless the window is the active
    // child, until it becomes the active one.
    void StartAttention();
    // True while the window's title bar flashes.
    bool Flashing() const;
    // Which look the flashing title bar has now: true for the active look.
    bool FlashLit() const;

public slots:
    // Save Chat: asks for a file in the account's folder and writes the
    // transcript there as RTF.
    void onSaveClicked();

protected:
    // Makes the transcript and the input bar. A window calls it once, after
    // the controls that come before them in the keyboard's Tab order.
    void BuildChatParts();
    InputBar& Input() const { return *inputBar_; }
    // Hands lines about target to the road, the caret at the transcript's
    // end first; onSent (the window's own echo) runs once they are written.
    // A refusal (no connection, a line that could never go): its note, and false.
    bool SendLinesOrNote(const std::vector<std::string>& lines, const QString& target,
                         std::function<void()> onSent = {});
    // A paste of several lines into the input line: more than a few are
    // sent only when the user says so; each goes out by sendOne.
    // wireLinesOf gives the lines one pasted line becomes, echo shows it
    // once they are written.
    void SendPastedLines(const QStringList& lines, const QString& target,
                         const std::function<std::vector<std::string>(const QString&)>& wireLinesOf,
                         const std::function<void(const QString&)>& echo);
    // A paste of several lines, or one too long for the input line.
    virtual void onLinesPasted(const QStringList& lines) = 0;
    // The child-window frame the window sits in: its title bar is the one
    // that flashes, and activated runs each time the window becomes the
    // active child. False when frame was watched already.
    bool WatchChildFrame(QMdiSubWindow* frame, std::function<void()> activated);
    void StopAttention();

protected slots:
    // Enter in the input line.
    virtual void onInputEntered() = 0;

private:
    // Whatever changed the transcript, the caret goes back to its end.
    void onTranscriptChanged();

    ChatFrame* frame_;
    LineConnection* connection_;
    std::unique_ptr<LineSender> ownSender_;  // a window on its own
    QString ownNick_;
    TranscriptView* transcript_ = nullptr;
    InputBar* inputBar_ = nullptr;
    TitleBarFlasher* flasher_;
    bool holdingLayout_ = false;
};
