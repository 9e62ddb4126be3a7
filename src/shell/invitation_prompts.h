#pragma once
// The invitation prompts the frame keeps open: one per invitation, a few at
// a time; the invitations beyond those go to the server log.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class ChatFrame;
class QWidget;
class InvitationPrompt;

class InvitationPrompts : public QObject {
    Q_OBJECT
public:
    // The most prompts open at once.
    static constexpr int kMostOpen = 5;

    // owner: the frame window the prompts stay with.
    InvitationPrompts(ChatFrame& frame, QWidget* owner);

    // A prompt for the invitation, shown without taking the keyboard from the
    // window the user is in; with kMostOpen prompts open, one line in the
    // server log instead (null then).
    InvitationPrompt* Show(const QString& inviter, const QString& channel);
    // The invitation notification: Show once the caller has returned.
    void ShowSoon(const QString& inviter, const QString& channel);

private:
    ChatFrame& frame_;
    QWidget* owner_;
    QList<QPointer<InvitationPrompt>> open_;
};
