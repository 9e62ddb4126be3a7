#pragma once

#include "chat/room_panels.h"

#include <QList>
#include <QString>

#include <string>

class QLineEdit;
class QMenu;

// One entry of the action menu: its object name, caption and the action
// text it sends. Entries that name another user need a selected nick.
struct CannedAction {
    const char* name;
    const char* caption;
    bool needsNick;
    std::string (*text)(const std::string& member);
};

// The canned actions in menu order (the custom action is not among them).
const QList<CannedAction>& CannedActions();

// The action menu: the canned actions, with a separator after the ones for
// the whole room and before "Custom". Every entry is a QAction named after
// what it does ("danceAction" .. "offerDateAction", "customAction"); the
// entry's index in CannedActions() is its data, -1 for "Custom".
QMenu* BuildActionMenu(QWidget* parent);

// The custom action panel.
// The user types an action text and confirms it with Ok or Enter, or
// cancels. The typed text stays for the next time the panel opens.
class CustomActionPanel : public FloatingPanel {
    Q_OBJECT

public:
    CustomActionPanel(QWidget* over, QWidget* parent);

    // Shows the panel with the keyboard focus in the action text.
    void OpenForAction();

signals:
    // Ok or Enter in the action text, with the text as typed.
    void Accepted(const QString& action);

private:
    QLineEdit* actionLine_;
};
