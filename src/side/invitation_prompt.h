#pragma once
// The invitation prompt: another user asks the user into a room.
#include <QDialog>
#include <QString>

class ChatFrame;
class QLabel;
class QPushButton;

// The invitation prompt: one per invitation, not modal, on top of the other
// windows. It keeps its own invitation (room and inviter), so with several
// prompts open each answers its own. Closing it by any way destroys it
// once control is back in the event loop.
class InvitationPrompt : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 544;
    static constexpr int kHeight = 129;

    // frame opens the room and keeps the ignore list; parent is the frame
    // window, which the prompt stays with.
    InvitationPrompt(ChatFrame* frame, QWidget* parent = nullptr);

    // Takes the invitation (room: channel with every "#" removed) and asks
    // the question; the caller shows the prompt.
    void SetInvitation(const QString& inviter, const QString& channel);
    const QString& Room() const { return room_; }
    const QString& Inviter() const { return inviter_; }

    QLabel* questionLabel_ = nullptr;
    QPushButton* acceptButton_ = nullptr;  // Accept
    QPushButton* rejectButton_ = nullptr;  // Reject
    QPushButton* ignoreButton_ = nullptr;  // Ignore User

    // Accept: the room's window to the front, joined (see ChatFrame::ShowRoom).
    void onAcceptClicked();
    // Reject.
    void onRejectClicked();
    // Ignore User: the inviter goes on the ignore list for good; the prompt
    // stays open when that could not be written.
    void onIgnoreClicked();
    // Becoming active: back to its own size.
    void onActivated();

protected:
    bool event(QEvent* event) override;

private:
    ChatFrame* frame_;
    QString room_;
    QString inviter_;
};
