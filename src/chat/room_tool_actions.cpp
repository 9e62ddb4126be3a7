// The room window's room-wide tools: the ban list, advertising to everyone
// in the room, the room as a favourite, and inviting buddies.
#include "chat/room_window.h"

#include "chat/nick_list_view.h"
#include "chat/renderer.h"
#include "chat/transcript_view.h"
#include "chat/room_panels.h"
#include "common/chat_frame.h"
#include "common/prompts.h"
#include "common/timings.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

// --- Panels ---

void RoomWindow::OpenPanel(QWidget* panel, QListWidget* list)
{
    if (list)
        list->clear();
    PlacePanels();
    panel->show();
    panel->raise();
}

// --- Ban list ---

void RoomWindow::blockbtnClick()
{
    OpenPanel(Panel5, Panel5->ListBox1);
    Panel5->ListBox1->addItems(banList_);
}

void RoomWindow::Button5Click()
{
    QListWidgetItem* selected = Panel5->ListBox1->currentItem();
    if (!selected || !selected->isSelected())
        return;
    // The ban went out on the bare nick, which the server keeps as a mask.
    // Once lifted it is no longer the room's: the panel does not show it again.
    const QString nick = selected->text();
    if (!SendRoomLine(sent::UnbanLine(RoomOnWire(), sent::BanMaskOf(NameOnWire(nick)))))
        return;
    delete selected;
    banList_.removeIf([&nick](const QString& banned) { return banned.compare(nick, Qt::CaseInsensitive) == 0; });
}

// --- Advertisement ---

void RoomWindow::addbtnClick()
{
    MoveToAppendPosition(*transcript_);
    // Blanks alone would go out as nothing to everyone.
    if (Edit1->text().trimmed().isEmpty()) {
        WriteWarningNote(*transcript_, QStringLiteral(
            "No advertisement message to send - Please write any message in the chat edit box below."));
        return;
    }
    const QString question = QStringLiteral("Your message \"") + Edit1->text() +
                             QStringLiteral("\" will be whisperd to all users in room \"") + Title() + u'"';
    if (!prompts().Confirm(this, QStringLiteral("Advertise"), question))
        return;
    advertisementPosition_ = 0;
    Timer2->start(timing().advertiseMs);
    addbtn->setEnabled(false);
}

void RoomWindow::Timer2Timer()
{
    LineConnection* connection = Connection();
    if (!connection || !connection->Connected()) {
        Timer2->stop();  // addbtn waits for the next join
        return;
    }
    // One entry per tick, found by its place: the cost does not grow with the list.
    QTreeWidgetItem* entry = nickList_->EntryAt(advertisementPosition_);
    if (!entry) {
        advertisementPosition_ = 0;
        Timer2->stop();
        addbtn->setEnabled(InRoom());
        MoveToAppendPosition(*transcript_);
        WriteAdvertisementProgress(*transcript_, QStringLiteral("addvertisement finished "));
        return;
    }
    QString nick = NickListView::Nick(entry);
    if (nick.startsWith(u'@'))
        nick.remove(0, 1);
    ++advertisementPosition_;
    // The text the input line holds now: editing it changes what the rest
    // get, and an input line emptied meanwhile sends nothing.
    const std::vector<std::string> lines = sent::PrivateMessageLines(NameOnWire(nick), ToWire(Edit1->text()));
    if (Edit1->text().trimmed().isEmpty() || lines.empty())
        return;
    if (!SendRoomLines(lines)) {
        StopAdvertisement();
        addbtn->setEnabled(InRoom());
        return;
    }
    MoveToAppendPosition(*transcript_);
    WriteAdvertisementProgress(*transcript_, QStringLiteral("addvertisement to ") + nick + QStringLiteral(" send\n"));
}

void RoomWindow::StopAdvertisement()
{
    Timer2->stop();
    advertisementPosition_ = 0;
}

// --- Favourites and invitations ---

void RoomWindow::favbtnClick()
{
    // A room joined from the room list carries the list's trailing space.
    if (AddToAccountList(AccountList::Favorites, TrimControls(Title())))
        frame_->ReloadFavoritesNotification();
}

void RoomWindow::invitetoolbtnClick()
{
    OpenPanel(invitepanel, invitepanel->invitelist);
    if (!frame_)
        return;
    invitepanel->invitelist->addItems(AccountListFile(frame_->AccountFolder(), AccountList::Buddies).Names());
}

void RoomWindow::invitebtnClick()
{
    invitepanel->hide();
    QListWidget* list = invitepanel->invitelist;
    std::vector<std::string> lines;
    for (int i = 0; i < list->count(); ++i)
        // A buddy section without a name has nobody to invite.
        if (list->item(i)->isSelected() && !list->item(i)->text().isEmpty())
            lines.push_back(sent::InviteLine(ToWire(list->item(i)->text()), RoomOnWire()));
    list->clear();
    if (!lines.empty())
        SendRoomLines(lines);
}
