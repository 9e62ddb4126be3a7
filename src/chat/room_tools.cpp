#include "chat/room_tools.h"

#include "chat/nick_list_view.h"
#include "chat/renderer.h"
#include "chat/room_panels.h"
#include "chat/room_tool_bar.h"
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "model/chat_frame.h"
#include "common/list_writes.h"
#include "common/prompts.h"
#include "common/shown_text.h"
#include "common/timings.h"
#include "common/wire_text.h"
#include "protocol/irc/sent_lines.h"
#include "protocol/stream/line_connection.h"

#include <QTimer>

RoomTools::RoomTools(RoomWindow& room, RoomToolBar& bar)
    : QObject(&room), room_(room), bar_(bar)
{
    setObjectName(QStringLiteral("roomTools"));
    banListPanel_ = new BanListPanel(&room.Transcript(), &room);
    connect(banListPanel_, &BanListPanel::RemoveBanRequested, this, &RoomTools::onRemoveBanClicked);
    invitePanel_ = new InvitePanel(&room.Transcript(), &room);
    connect(invitePanel_, &InvitePanel::InviteRequested, this, &RoomTools::onInviteConfirmed);
    advertisementTimer_ = new QTimer(this);
    advertisementTimer_->setObjectName(QStringLiteral("advertisementTimer"));
    connect(advertisementTimer_, &QTimer::timeout, this, &RoomTools::onAdvertisementTick);

    connect(&bar, &RoomToolBar::BanListClicked, this, &RoomTools::onBanListClicked);
    connect(&bar, &RoomToolBar::AdvertiseClicked, this, &RoomTools::onAdvertiseClicked);
    connect(&bar, &RoomToolBar::FavoriteClicked, this, &RoomTools::onFavoriteClicked);
    connect(&bar, &RoomToolBar::InviteClicked, this, &RoomTools::onInviteClicked);
}

// --- Ban list ---

void RoomTools::NoteBan(const QString& nick)
{
    if (!banList_.contains(nick, Qt::CaseInsensitive)) banList_ << nick;
}

void RoomTools::onBanListClicked() { banListPanel_->OpenWith(banList_); }

void RoomTools::onRemoveBanClicked()
{
    const QString nick = banListPanel_->SelectedNick();
    if (nick.isEmpty())
        return;
    // The ban went out on the bare nick, which the server keeps as a mask.
    // Once lifted it is no longer the room's: the panel does not show it again.
    if (!room_.SendRoomLines({sent::UnbanLine(room_.RoomOnWire(), sent::BanMaskOf(NameOnWire(nick)))}))
        return;
    banListPanel_->DropSelected();
    banList_.removeIf([&nick](const QString& banned) { return banned.compare(nick, Qt::CaseInsensitive) == 0; });
}

// --- Advertisement ---

bool RoomTools::Advertising() const { return advertisementTimer_->isActive(); }

void RoomTools::onAdvertiseClicked()
{
    TranscriptView& transcript = room_.Transcript();
    MoveToAppendPosition(transcript);
    const QString text = room_.InputText();
    // Blanks alone would go out as nothing to everyone.
    if (text.trimmed().isEmpty()) {
        WriteWarningNote(transcript, QStringLiteral(
            "No advertisement message to send - Please write any message in the chat edit box below."));
        return;
    }
    const QString question = QStringLiteral("Your message \"") + text +
                             QStringLiteral("\" will be whisperd to all users in room \"") + room_.Title() + u'"';
    if (!prompts().Confirm(&room_, QStringLiteral("Advertise"), question))
        return;
    advertisementPosition_ = 0;
    advertisementTimer_->start(timing().advertiseMs);
    bar_.SetAdvertiseEnabled(false);
}

void RoomTools::onAdvertisementTick()
{
    LineConnection* connection = room_.Connection();
    if (!connection || !connection->Connected()) {
        advertisementTimer_->stop();  // Advertise waits for the next join
        return;
    }
    TranscriptView& transcript = room_.Transcript();
    // One entry per tick, found by its place: the cost does not grow with the list.
    QTreeWidgetItem* entry = room_.NickList().EntryAt(advertisementPosition_);
    if (!entry) {
        advertisementPosition_ = 0;
        advertisementTimer_->stop();
        bar_.SetAdvertiseEnabled(room_.InRoom());
        MoveToAppendPosition(transcript);
        WriteAdvertisementProgress(transcript, QStringLiteral("addvertisement finished "));
        return;
    }
    QString nick = NickListView::Nick(entry);
    if (nick.startsWith(u'@'))
        nick.remove(0, 1);
    ++advertisementPosition_;
    // The text the input line holds now: editing it changes what the rest
    // get, and an input line emptied meanwhile sends nothing.
    const QString text = room_.InputText();
    const std::vector<std::string> lines = sent::PrivateMessageLines(NameOnWire(nick), ToWire(text));
    if (text.trimmed().isEmpty() || lines.empty())
        return;
    if (!room_.SendRoomLines(lines)) {
        StopAdvertisement();
        bar_.SetAdvertiseEnabled(room_.InRoom());
        return;
    }
    MoveToAppendPosition(transcript);
    WriteAdvertisementProgress(transcript, QStringLiteral("addvertisement to ") + nick + QStringLiteral(" send\n"));
}

void RoomTools::StopAdvertisement()
{
    advertisementTimer_->stop();
    advertisementPosition_ = 0;
}

// --- Favourites and invitations ---

void RoomTools::onFavoriteClicked()
{
    ChatFrame* frame = room_.Frame();
    // A room joined from the room list carries the list's trailing space.
    const QString room = TrimControls(room_.Title());
    if (frame && !room.isEmpty() && AddToListOrTell(frame->AccountFolder(), AccountList::Favorites, room, &room_))
        frame->ReloadFavoritesNotification();
}

void RoomTools::onInviteClicked()
{
    ChatFrame* frame = room_.Frame();
    invitePanel_->OpenWith(frame ? AccountListFile(frame->AccountFolder(), AccountList::Buddies).Names()
                                 : QStringList());
}

void RoomTools::onInviteConfirmed()
{
    invitePanel_->hide();
    std::vector<std::string> lines;
    for (const QString& buddy : invitePanel_->TakeChosen())
        // A buddy section without a name has nobody to invite.
        if (!buddy.isEmpty())
            lines.push_back(sent::InviteLine(ToWire(buddy), room_.RoomOnWire()));
    if (!lines.empty())
        room_.SendRoomLines(lines);
}
