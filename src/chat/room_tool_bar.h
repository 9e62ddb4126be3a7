#pragma once

#include <QString>
#include <QToolBar>

class QComboBox;
class QMenu;
class QToolButton;

// The room window's tool bar.
// The room selector with Join and Leave, the Action menu, the room's tools
// (ban list, advertising, favourite, invitation), Save Chat and Exit. It only
// shows and reports: the window decides what a click does.
class RoomToolBar : public QToolBar {
    Q_OBJECT

public:
    explicit RoomToolBar(QWidget* parent);

    // The room typed or picked in the selector; empty while it shows its
    // "[Select Room]" prompt.
    QString SelectedRoom() const;
    void SetSelectedRoom(const QString& room);

    // In a room the selector and Join are off and the room's tools on; out of
    // one it is the other way round. Advertise stays off while advertising.
    void SetInRoomLook(bool inRoom, bool advertising);
    bool InRoomLook() const { return inRoom_; }
    void SetAdvertiseEnabled(bool enabled);
    // The ban list is the room operator's.
    void SetBanListEnabled(bool enabled);

signals:
    // Join, also Enter in the selector.
    void JoinClicked();
    void LeaveClicked();
    // An Action menu entry: its index in CannedActions(), -1 for "Custom".
    void ActionChosen(int index);
    void BanListClicked();
    void AdvertiseClicked();
    void FavoriteClicked();
    void InviteClicked();
    void SaveClicked();
    void CloseClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* roomSelector_;
    QToolButton* joinButton_;
    QToolButton* leaveButton_;
    QToolButton* actionButton_;
    QToolButton* banListButton_;
    QToolButton* advertiseButton_;
    QToolButton* favoriteButton_;
    QToolButton* inviteButton_;
    bool inRoom_ = false;
    bool enterPressedInSelector_ = false;
};
