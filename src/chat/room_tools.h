#pragma once
// The room window's room-wide tools.
#include <QObject>
#include <QStringList>

class BanListPanel;
class InvitePanel;
class QTimer;
class RoomToolBar;
class RoomWindow;

// The room-wide tools of a room window.
// The ban list, advertising to everyone in the room, the room as a favourite,
// and inviting buddies.
class RoomTools : public QObject {
    Q_OBJECT

public:
    RoomTools(RoomWindow& room, RoomToolBar& bar);

    // The nicks banned from this room since it was last joined.
    const QStringList& BanList() const { return banList_; }
    // Adds nick to the ban list unless it is there already (letter case aside).
    void NoteBan(const QString& nick);
    void ClearBans() { banList_.clear(); }

    bool Advertising() const;
    // Ends a running advertisement; Advertise follows the in-room look again.
    void StopAdvertisement();

private:
    void onBanListClicked();
    void onRemoveBanClicked();
    // Asks, then whispers the input line's text to each nick in the list,
    // one per tick.
    void onAdvertiseClicked();
    void onAdvertisementTick();
    void onFavoriteClicked();
    void onInviteClicked();
    void onInviteConfirmed();

    RoomWindow& room_;
    RoomToolBar& bar_;
    BanListPanel* banListPanel_;
    InvitePanel* invitePanel_;
    QTimer* advertisementTimer_;
    int advertisementPosition_ = 0;  // next nick-list entry the advertisement goes to
    QStringList banList_;
};
