#pragma once

#include <QFrame>
#include <QList>
#include <QString>

#include <string>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// One entry of the action menu: its component name, caption and the action
// text it sends. Entries that name another user need a selected nick.
struct CannedAction {
    const char* name;
    const char* caption;
    bool needsNick;
    std::string (*text)(const std::string& member);
};

// The canned actions in menu order (the custom action is not among them).
const QList<CannedAction>& CannedActions();

// The action menu (PopupMenu2): the canned actions, with a separator after
// the ones for the whole room and before "Custom". Every entry is a QAction
// named after its component (Dance2 .. OfferDate1, Custom1); the entry's
// index in CannedActions() is its data, -1 for Custom1.
QMenu* BuildActionMenu(QWidget* parent);

// The custom action panel (Panel3): the user types an action text and
// confirms it with Ok or Enter, or cancels. The typed text stays for the next
// time the panel opens.
class CustomActionPanel : public QFrame {
    Q_OBJECT

public:
    explicit CustomActionPanel(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button1 = nullptr;  // "Ok"
    QPushButton* Button2 = nullptr;  // "Cancel"

    // Shows the panel and puts the keyboard focus into Edit2.
    void Open();

signals:
    // Ok or Enter in Edit2, with Edit2's text as typed.
    void Accepted(const QString& action);
};
