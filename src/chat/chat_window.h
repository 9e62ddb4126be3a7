#pragma once

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class ChatFrame;
class InputBar;
class LineConnection;
class TranscriptView;

// The notes a chat window writes when a line it was asked to send did not go
// out: no open connection, or a line break or NUL inside what was typed.
inline const QString kNotConnectedNote = QStringLiteral("You are not connected to a server: nothing was sent");
inline const QString kUnsendableNote = QStringLiteral("A line break or NUL character cannot be sent: nothing was sent");

// The base of the room and private windows.
// It holds what both share: the transcript with its find bar and links, the
// input bar under it, the notes about the connection, Save Chat, and the road
// their chat lines go out by.
class ChatWindow : public QWidget {
    Q_OBJECT

public:
    // frame may be null (a window on its own); its connection is the
    // window's until SetConnection says otherwise.
    explicit ChatWindow(ChatFrame* frame, QWidget* parent = nullptr);

    QString Title() const { return windowTitle(); }

    // The frame the window lives in (may be null) and the connection its
    // lines are written to (not owned; may be null).
    ChatFrame* Frame() const { return frame_; }
    void SetFrame(ChatFrame* frame) { frame_ = frame; }
    LineConnection* Connection() const { return connection_; }
    void SetConnection(LineConnection* connection) { connection_ = connection; }
    // The user's nick: the frame's, or without a frame the one given here.
    QString OwnNick() const;
    void SetOwnNick(const QString& nick) { ownNick_ = nick; }

    // The transcript, for the handlers that write received lines into it.
    TranscriptView& Transcript() const { return *transcript_; }
    // What the input line holds as typed.
    QString InputText() const;
    // nick said something here: Tab offers that nick first.
    void NoteSpeaker(const QString& nick);

    // The connection ended (byUser: the user disconnected): a note at the
    // end of the transcript.
    virtual void ConnectionLost(bool byUser = false);
    // Why the program closed the connection, after the "lost" note.
    void ConnectionEndedBecause(const QString& why);

public slots:
    // Save Chat: asks for a file in the account's folder and writes the
    // transcript there as RTF.
    void onSaveClicked();

protected:
    // Makes the transcript and the input bar. A window calls it once, after
    // the controls that come before them in the keyboard's Tab order.
    void BuildChatParts();
    InputBar& Input() const { return *inputBar_; }
    // Writes lines to the connection, the caret at the transcript's end
    // first. No connection, or a closed one: the not-connected note, and false.
    bool WriteLinesOrNote(const std::vector<std::string>& lines);

protected slots:
    // Enter in the input line.
    virtual void onInputEntered() = 0;

private:
    // Whatever changed the transcript, the caret goes back to its end.
    void onTranscriptChanged();

    ChatFrame* frame_;
    LineConnection* connection_;
    QString ownNick_;
    TranscriptView* transcript_ = nullptr;
    InputBar* inputBar_ = nullptr;
};
