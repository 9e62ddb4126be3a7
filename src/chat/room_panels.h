#pragma once
// The room window's panels that float over its transcript, each hidden until
// its tool or menu entry shows it: the kick reason, the ban list and the
// invitation of buddies (the custom action's panel is in action_menu.h).
#include <QFrame>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;

// A panel that floats over the top left of a transcript.
// It follows the transcript's size; a panel with a list gets the height the
// transcript leaves it.
class FloatingPanel : public QFrame {
    Q_OBJECT

public:
    enum class Height { Own, List };

    // over is the transcript, a sibling of the panel in parent.
    FloatingPanel(QWidget* over, Height height, const QString& name, QWidget* parent);

    // Placed, shown on top.
    void Open();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QWidget* over_;
    Height height_;
};

// The panel asking why the selected user is kicked.
// Kick (or Enter in the reason) asks for the kick; Cancel hides the panel.
// The reason stays for the next kick.
class KickReasonPanel : public FloatingPanel {
    Q_OBJECT

public:
    KickReasonPanel(QWidget* over, QWidget* parent);

    QString Reason() const;
    // Shows the panel with the keyboard focus in the reason.
    void OpenForReason();

signals:
    void KickRequested();

private:
    QLineEdit* reasonLine_;
};

// The panel of the nicks banned from the room, one of which Remove Ban lifts.
class BanListPanel : public FloatingPanel {
    Q_OBJECT

public:
    BanListPanel(QWidget* over, QWidget* parent);

    // Shows the panel listing nicks.
    void OpenWith(const QStringList& nicks);
    // The nick selected in the list; empty when none is.
    QString SelectedNick() const;
    // Takes the selected nick off the list shown.
    void DropSelected();

signals:
    void RemoveBanRequested();

private:
    QListWidget* bannedList_;
};

// The panel of the buddies to invite into the room, several at a time.
class InvitePanel : public FloatingPanel {
    Q_OBJECT

public:
    InvitePanel(QWidget* over, QWidget* parent);

    // Shows the panel listing buddies, none chosen.
    void OpenWith(const QStringList& buddies);
    // The buddies chosen, in list order; the list is emptied.
    QStringList TakeChosen();

signals:
    void InviteRequested();

private:
    QListWidget* buddyList_;
};
