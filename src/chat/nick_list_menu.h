#pragma once
// The nick list's right-click menu of a room window.
class QAction;
class QMenu;
class QWidget;

// The nick list's menu PopupMenu1 and its entries, each a QAction named
// after its component. The host entries act on the room and work only for a
// room operator. The room window has these as its own components.
struct NickListMenu {
    QMenu* PopupMenu1 = nullptr;
    QAction* Addtobuddylist1 = nullptr;
    QAction* Whisper1 = nullptr;
    QAction* Ignore1 = nullptr;
    QAction* UnIgnore1 = nullptr;
    QAction* Kick1 = nullptr;
    QAction* KickandBan1 = nullptr;
    QAction* Ban1 = nullptr;
    QAction* MakeHost1 = nullptr;
    QAction* DeHost1 = nullptr;
    QAction* Information1 = nullptr;
};

// Builds the menu in its order, with its separators (named N1 .. N8).
NickListMenu BuildNickListMenu(QWidget* parent);
