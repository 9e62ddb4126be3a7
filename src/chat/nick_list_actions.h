#pragma once
// The nick list's right-click menu of a room window and what its entries do.
#include <QObject>
#include <QString>

class KickReasonPanel;
class QAction;
class QMenu;
class RoomTools;
class RoomWindow;

// The nick list's menu of a room window and what its entries do.
// Buddies, whispers, ignoring, the room operator's kicks, bans and host
// rights, and the profile. Each entry acts on the nick selected at that
// moment and does nothing without one. A double click on a nick whispers to it.
class NickListActions : public QObject {
    Q_OBJECT

public:
    // tools keeps the bans this menu makes.
    NickListActions(RoomWindow& room, RoomTools& tools);

    // The host entries work only for a room operator.
    void SetHostEntriesEnabled(bool enabled);
    // Ignore and UnIgnore for any nick, listed or not (also typed commands).
    void Ignore(const QString& nick);
    void Unignore(const QString& nick);

private:
    void onAddBuddyChosen();
    void onWhisperChosen();
    void onIgnoreChosen();
    void onUnignoreChosen();
    void onKickChosen();
    // The reason panel's Kick, also Enter in the reason.
    void onKickConfirmed();
    void onKickAndBanChosen();
    void onBanChosen();
    void onMakeHostChosen();
    void onDeHostChosen();
    void onProfileChosen();

    RoomWindow& room_;
    RoomTools& tools_;
    QMenu* nickMenu_;
    QAction* kickAction_;
    QAction* kickAndBanAction_;
    QAction* banAction_;
    QAction* makeHostAction_;
    QAction* deHostAction_;
    KickReasonPanel* kickReasonPanel_;
};
