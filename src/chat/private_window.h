#pragma once

#include <QString>
#include <QWidget>

class ChatFrame;
class LineConnection;
struct TypedLine;
class QComboBox;
class QLineEdit;
class QToolButton;
class InputBar;
class TranscriptView;

// What a received line written into a private window is.
enum class IncomingKind {
    Message,    // a private message
    Notice,     // a private notice: the input line is locked for good
    AwayReply,  // the server's away reply (301) about the partner
};

// The private chat window: one conversation with one other user. Its title
// is the partner's nick and is the window's identity.
class PrivateWindow : public QWidget {
    Q_OBJECT

public:
    // The size of a private window when it is made and whenever it becomes
    // the active child window (its whole frame, title bar included).
    static constexpr int kWidth = 450;
    static constexpr int kHeight = 234;

    explicit PrivateWindow(QWidget* parent = nullptr);

    QWidget* ToolBar1 = nullptr;         // the tool bar strip at the top
    QToolButton* ToolButton1 = nullptr;  // ignore the partner and close
    QToolButton* ToolButton3 = nullptr;  // close
    QToolButton* ToolButton4 = nullptr;  // save the transcript
    QLineEdit* titleid = nullptr;        // hidden; openers put the nick in it
    TranscriptView* transcript_ = nullptr;    // the transcript
    InputBar* Panel2 = nullptr;        // style bar and input line
    QToolButton* ToolButton5 = nullptr;  // bold
    QToolButton* ToolButton6 = nullptr;  // underline
    QToolButton* ToolButton7 = nullptr;  // strike-through
    QComboBox* colorcomo = nullptr;
    QComboBox* iconcomo = nullptr;
    QLineEdit* Edit1 = nullptr;

    // The partner's nick.
    QString Title() const { return windowTitle(); }
    void SetTitle(const QString& nick);

    // The server connection lines are written to (not owned; may be null).
    void SetConnection(LineConnection* connection) { connection_ = connection; }
    LineConnection* Connection() const { return connection_; }
    // The user's own nick when the window was made: names the folder the
    // save dialog starts in.
    void SetOwnNick(const QString& nick) { ownNick_ = nick; }
    QString OwnNick() const { return ownNick_; }

    // Sets the window (its child-window frame, when it has one) to 450 x 234,
    // unless it is maximised or minimised.
    void ApplyDefaultSize();

    // Appends one received line: the kind's prefix, "sender: ", the text
    // rendered with its formatting and emoticons, a line break. A notice
    // locks the input line; a line from NickServ or MemoServ makes it
    // read-only.
    void AppendIncomingLine(const QString& sender, const QString& text, IncomingKind kind);

    // The partner left the server: a grey note, and the input line becomes
    // read-only.
    void PartnerQuit(const QString& nick, const QString& reason);

    // The connection ended (byUser: the user disconnected): a note in the transcript.
    void ConnectionLost(bool byUser = false);
    // Why the program closed the connection, after the "lost" note.
    void ConnectionEndedBecause(const QString& why);

    // The frame the window lives in, for typed commands (may stay null).
    void SetFrame(ChatFrame* frame) { frame_ = frame; }
    ChatFrame* Frame() const { return frame_; }

    // Enter in Edit1: a typed command runs; any other line goes to the
    // partner styled and is echoed.
    void edit1KeyDown();
    // Sends line to the partner as it stands and echoes it; a closed
    // connection gets a note, and false.
    bool SendMessage(const QString& line);
    // A command typed into Edit1, the parser's usage checks passed
    // (private_commands.cpp).
    void RunTypedCommand(const TypedLine& line);
    void ToolButton1Click();
    void ToolButton3Click();
    void ToolButton4Click();

    // Closes the window (its child-window frame, when it has one); it is
    // destroyed.
    void CloseWindow();

signals:
    // ToolButton1: the partner's nick, for the frame to ignore.
    void IgnorePartner(const QString& nick);
    // The window was closed: it goes, though it may still exist for a moment.
    void Closed();

protected:
    bool event(QEvent* event) override;

private:
    void BuildWindow();
    void privchatChange();
    void WatchChildFrame();
    QWidget* OuterWindow();

    LineConnection* connection_ = nullptr;
    ChatFrame* frame_ = nullptr;
    QString ownNick_;
    QWidget* watchedFrame_ = nullptr;
};
