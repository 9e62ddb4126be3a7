#include "chat/nick_list_actions.h"

#include "chat/ignore_nick.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/room_panels.h"
#include "chat/room_tools.h"
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "model/chat_frame.h"
#include "common/list_writes.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/irc/sent_lines.h"

#include <QMenu>

NickListActions::NickListActions(RoomWindow& room, RoomTools& tools)
    : QObject(&room), room_(room), tools_(tools)
{
    setObjectName(QStringLiteral("nickListActions"));
    nickMenu_ = new QMenu(&room);
    nickMenu_->setObjectName(QStringLiteral("nickMenu"));
    const auto entry = [this](const char* name, const char* caption, void (NickListActions::*chosen)()) {
        QAction* action = nickMenu_->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, chosen);
        return action;
    };
    entry("addBuddyAction", "Add to buddy list", &NickListActions::onAddBuddyChosen);
    entry("whisperAction", "Whisper", &NickListActions::onWhisperChosen);
    nickMenu_->addSeparator();
    entry("ignoreAction", "Ignore", &NickListActions::onIgnoreChosen);
    entry("unignoreAction", "UnIgnore", &NickListActions::onUnignoreChosen);
    nickMenu_->addSeparator();
    kickAction_ = entry("kickAction", "Kick", &NickListActions::onKickChosen);
    kickAndBanAction_ = entry("kickAndBanAction", "Kick and Ban", &NickListActions::onKickAndBanChosen);
    nickMenu_->addSeparator();
    banAction_ = entry("banAction", "Ban", &NickListActions::onBanChosen);
    nickMenu_->addSeparator();
    makeHostAction_ = entry("makeHostAction", "Make Host", &NickListActions::onMakeHostChosen);
    deHostAction_ = entry("deHostAction", "De-Host", &NickListActions::onDeHostChosen);
    nickMenu_->addSeparator();
    entry("profileAction", "Profile", &NickListActions::onProfileChosen);
    nickMenu_->addSeparator();

    NickListView& list = room.NickList();
    list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list, &QWidget::customContextMenuRequested, this,
            [this, &list](const QPoint& at) { nickMenu_->popup(list.viewport()->mapToGlobal(at)); });
    connect(&list, &QTreeWidget::itemDoubleClicked, this, &NickListActions::onWhisperChosen);

    kickReasonPanel_ = new KickReasonPanel(&room.Transcript(), &room);
    connect(kickReasonPanel_, &KickReasonPanel::KickRequested, this, &NickListActions::onKickConfirmed);
}

void NickListActions::SetHostEntriesEnabled(bool enabled)
{
    for (QAction* entry : {kickAction_, kickAndBanAction_, banAction_, makeHostAction_, deHostAction_})
        entry->setEnabled(enabled);
}

// --- Personal entries ---

void NickListActions::onAddBuddyChosen()
{
    const QString nick = room_.NickList().SelectedNick();
    ChatFrame* frame = room_.Frame();
    if (nick.isEmpty() || !frame)
        return;
    if (AddToListOrTell(frame->AccountFolder(), AccountList::Buddies, nick, &room_))
        frame->ReloadBuddiesNotification();
}

void NickListActions::onWhisperChosen()
{
    const QString nick = room_.NickList().SelectedNick();
    if (!nick.isEmpty() && room_.Frame())
        room_.Frame()->OpenPrivateWindowFromUser(nick);
}

void NickListActions::onIgnoreChosen() { Ignore(room_.NickList().SelectedNick()); }

void NickListActions::onUnignoreChosen() { Unignore(room_.NickList().SelectedNick()); }

void NickListActions::Ignore(const QString& nick)
{
    if (nick.isEmpty() || !room_.Frame())
        return;
    // One ignored while a host is listed as "@nick", so that unignoring
    // gives the star back.
    QTreeWidgetItem* entry = room_.NickList().FindExact(nick);
    IgnoreNick(*room_.Frame(), nick, entry && NickListView::IconNumber(entry) == kHostIcon, &room_);
    if (entry)
        NickListView::SetIconNumber(entry, kIgnoredIcon);
}

void NickListActions::Unignore(const QString& nick)
{
    if (nick.isEmpty() || !room_.Frame())
        return;
    const Unignored removed = UnignoreNick(*room_.Frame(), nick, &room_);
    QTreeWidgetItem* entry = room_.NickList().FindExact(nick);
    if (entry && removed.plain)
        NickListView::SetIconNumber(entry, kNormalIcon);
    if (entry && removed.host)
        NickListView::SetIconNumber(entry, kHostIcon);
}

void NickListActions::onProfileChosen()
{
    const QString nick = room_.NickList().SelectedNick();
    if (!nick.isEmpty() && room_.Frame())
        room_.Frame()->OpenUserProfile(nick, &room_);
}

// --- Host entries ---

void NickListActions::onKickChosen()
{
    if (room_.NickList().SelectedNick().isEmpty())
        return;
    kickReasonPanel_->OpenForReason();
}

void NickListActions::onKickConfirmed()
{
    // The nick selected now: the one chosen before may have left meanwhile.
    const QString nick = room_.NickList().SelectedNick();
    if (nick.isEmpty())
        return;
    if (room_.SendRoomLines({sent::KickLine(room_.RoomOnWire(), NameOnWire(nick), ToWire(kickReasonPanel_->Reason()))}))
        kickReasonPanel_->hide();
}

void NickListActions::onBanChosen()
{
    const QString nick = room_.NickList().SelectedNick();
    if (nick.isEmpty())
        return;
    if (room_.SendRoomLines({sent::BanLine(room_.RoomOnWire(), NameOnWire(nick))}))
        tools_.NoteBan(nick);
}

void NickListActions::onKickAndBanChosen()
{
    const QString nick = room_.NickList().SelectedNick();
    if (nick.isEmpty())
        return;
    if (!room_.SendRoomLines({sent::BanLine(room_.RoomOnWire(), NameOnWire(nick))}))
        return;
    tools_.NoteBan(nick);
    // The kick itself waits for the reason panel's Kick.
    kickReasonPanel_->OpenForReason();
}

void NickListActions::onMakeHostChosen()
{
    // The list changes when the server's MODE line comes back.
    const QString nick = room_.NickList().SelectedNick();
    if (!nick.isEmpty())
        room_.SendRoomLines({sent::MakeHostLine(room_.RoomOnWire(), NameOnWire(nick))});
}

void NickListActions::onDeHostChosen()
{
    const QString nick = room_.NickList().SelectedNick();
    if (!nick.isEmpty())
        room_.SendRoomLines({sent::DeHostLine(room_.RoomOnWire(), NameOnWire(nick))});
}
