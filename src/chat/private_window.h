#pragma once

#include "chat/chat_window.h"

#include <QString>

struct TypedLine;

// What a received line written into a private window is.
enum class IncomingKind {
    Message,    // a private message
    Notice,     // a private notice: the input line is locked for good
    AwayReply,  // the server's away reply (301) about the partner
};

// The private chat window: one conversation with one other user. Its title
// is the partner's nick and is the window's identity.
class PrivateWindow : public ChatWindow {
    Q_OBJECT

public:
    // The size of a private window when it is made and whenever it becomes
    // the active child window (its whole frame, title bar included).
    static constexpr int kWidth = 450;
    static constexpr int kHeight = 234;

    explicit PrivateWindow(QWidget* parent = nullptr);

    // The partner's nick.
    void SetTitle(const QString& nick) { setWindowTitle(nick); }

    // Sets the window (its child-window frame, when it has one) to 450 x 234,
    // unless it is maximised or minimised.
    void ApplyDefaultSize();

    // Appends one received line: the kind's prefix, "sender: ", the text
    // rendered with its formatting and emoticons, a line break. A notice
    // locks the input line; a line from NickServ or MemoServ makes it
    // read-only.
    void AppendIncomingLine(const QString& sender, const QString& text, IncomingKind kind);

    // sender did something ("waves"): one purple line "bob waves".
    void AppendIncomingAction(const QString& sender, const QString& action);

    // The partner left the server: a grey note, and the input line becomes
    // read-only.
    void PartnerQuit(const QString& nick, const QString& reason);

    // Sends line to the partner as it stands and echoes it; a closed
    // connection gets a note, and false.
    bool SendMessage(const QString& line);
    // A command typed into the input line, the parser's usage checks passed
    // (private_commands.cpp).
    void RunTypedCommand(const TypedLine& line);

    // Closes the window (its child-window frame, when it has one); it is
    // destroyed.
    void CloseWindow();

signals:
    // Ignore this user: the partner's nick, for the frame to ignore.
    void IgnorePartner(const QString& nick);
    // The window was closed: it goes, though it may still exist for a moment.
    void Closed();

protected:
    // Enter in the input line: a typed command runs; any other line goes to
    // the partner styled and is echoed. A partner who has gone, or a
    // connection that has ended, takes nothing.
    void onInputEntered() override;
    void onLinesPasted(const QStringList& lines) override;
    bool event(QEvent* event) override;

private:
    // The user's own line, once it is written to the server.
    void EchoOwnLine(const QString& line);
    void onIgnoreClicked();
    QWidget* OuterWindow();
};
