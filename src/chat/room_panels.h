#pragma once
// The room window's panels that float over its transcript, each hidden until
// its tool or menu entry shows it: the kick reason, the ban list and the
// invitation of buddies.
#include <QFrame>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Panel4: why the selected user is kicked. Kick (or Enter in Edit3) asks
// for the kick; Cancel hides the panel. Edit3 keeps its text for the next kick.
class KickReasonPanel : public QFrame {
    Q_OBJECT

public:
    explicit KickReasonPanel(QWidget* parent = nullptr);

    QLabel* Label2 = nullptr;        // "Why"
    QLineEdit* Edit3 = nullptr;
    QPushButton* Button3 = nullptr;  // "Kick"
    QPushButton* Button4 = nullptr;  // "Cancel"

    // Shows the panel with the keyboard focus in Edit3.
    void Open();

signals:
    void KickRequested();
};

// Panel5: the nicks banned from the room, one of which Remove Ban lifts.
class BanListPanel : public QFrame {
    Q_OBJECT

public:
    explicit BanListPanel(QWidget* parent = nullptr);

    QLabel* Label3 = nullptr;        // "Baned Nicks for this room"
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button5 = nullptr;  // "Remove Ban"
    QPushButton* Button6 = nullptr;  // "Ok"
};

// invitepanel: the buddies to invite into the room, several at a time.
class InvitePanel : public QFrame {
    Q_OBJECT

public:
    explicit InvitePanel(QWidget* parent = nullptr);

    QLabel* Label4 = nullptr;          // "Invite Buddies to this room"
    QListWidget* invitelist = nullptr;
    QPushButton* invitebtn = nullptr;  // "Invite"
};
