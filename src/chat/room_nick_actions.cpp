// The room window's nick-list menu: buddies, whispers, ignoring, the host's
// kicks, bans and host rights, and the profile.
#include "chat/room_window.h"

#include "chat/ignore_nick.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/renderer.h"
#include "chat/transcript_view.h"
#include "chat/room_panels.h"
#include "common/chat_frame.h"
#include "common/line_writes.h"
#include "common/list_writes.h"
#include "common/prompts.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"

#include <QLineEdit>
#include <QMenu>

void RoomWindow::BuildNickListMenu()
{
    static_cast<NickListMenu&>(*this) = ::BuildNickListMenu(this);

    connect(Addtobuddylist1, &QAction::triggered, this, &RoomWindow::Addtobuddylist1Click);
    connect(Whisper1, &QAction::triggered, this, &RoomWindow::ListView1DblClick);
    connect(Ignore1, &QAction::triggered, this, &RoomWindow::Ignore1Click);
    connect(UnIgnore1, &QAction::triggered, this, &RoomWindow::UnIgnore1Click);
    connect(Kick1, &QAction::triggered, this, &RoomWindow::Kick1Click);
    connect(KickandBan1, &QAction::triggered, this, &RoomWindow::KickandBan1Click);
    connect(Ban1, &QAction::triggered, this, &RoomWindow::Ban1Click);
    connect(MakeHost1, &QAction::triggered, this, &RoomWindow::MakeHost1Click);
    connect(DeHost1, &QAction::triggered, this, &RoomWindow::DeHost1Click);
    connect(Information1, &QAction::triggered, this, &RoomWindow::Information1Click);

    connect(nickList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(nickList_->viewport()->mapToGlobal(at));
    });
    connect(nickList_, &QTreeWidget::itemDoubleClicked, this, &RoomWindow::ListView1DblClick);
}

// --- Shared by the nick-list and tool actions ---

bool RoomWindow::SendRoomLine(const std::string& line) { return SendRoomLines({line}); }

bool RoomWindow::SendRoomLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (!LineConnection::Sendable(line)) {
            MoveToAppendPosition(*transcript_);
            WriteWarningNote(*transcript_,
                             QStringLiteral("A line break or NUL character cannot be sent: nothing was sent"));
            return false;
        }
    return WriteLinesOrTell(frame_ ? &frame_->Connection() : nullptr, lines, this);
}

bool RoomWindow::AddToAccountList(AccountList list, const QString& entry)
{
    return frame_ && !entry.isEmpty() && AddToListOrTell(frame_->AccountFolder(), list, entry, this);
}

// --- Personal entries ---

void RoomWindow::Addtobuddylist1Click()
{
    const QString nick = nickList_->SelectedNick();
    if (nick.isEmpty())
        return;
    if (AddToAccountList(AccountList::Buddies, nick))
        frame_->ReloadBuddiesNotification();
}

void RoomWindow::ListView1DblClick()
{
    const QString nick = nickList_->SelectedNick();
    if (!nick.isEmpty() && frame_)
        frame_->OpenPrivateWindowFromUser(nick);
}

void RoomWindow::Ignore1Click() { IgnoreNickNamed(nickList_->SelectedNick()); }

void RoomWindow::IgnoreNickNamed(const QString& nick)
{
    if (nick.isEmpty() || !frame_)
        return;
    // One ignored while a host is listed as "@nick", so that unignoring
    // gives the star back.
    QTreeWidgetItem* entry = nickList_->FindExact(nick);
    IgnoreNick(*frame_, nick, entry && NickListView::IconNumber(entry) == kHostIcon, this);
    if (entry)
        NickListView::SetIconNumber(entry, kIgnoredIcon);
}

void RoomWindow::UnIgnore1Click() { UnignoreNickNamed(nickList_->SelectedNick()); }

void RoomWindow::UnignoreNickNamed(const QString& nick)
{
    if (nick.isEmpty() || !frame_)
        return;
    const Unignored removed = UnignoreNick(*frame_, nick, this);
    QTreeWidgetItem* entry = nickList_->FindExact(nick);
    if (entry && removed.plain)
        NickListView::SetIconNumber(entry, kNormalIcon);
    if (entry && removed.host)
        NickListView::SetIconNumber(entry, kHostIcon);
}

void RoomWindow::Information1Click()
{
    const QString nick = nickList_->SelectedNick();
    if (!nick.isEmpty() && frame_)
        frame_->OpenUserProfile(nick, this);
}

// --- Host entries ---

void RoomWindow::Kick1Click()
{
    if (nickList_->SelectedNick().isEmpty())
        return;
    PlacePanels();
    Panel4->Open();
}

void RoomWindow::Button3Click()
{
    // The nick selected now: the one chosen before may have left meanwhile.
    const QString nick = nickList_->SelectedNick();
    if (nick.isEmpty())
        return;
    if (SendRoomLine(sent::KickLine(RoomOnWire(), NameOnWire(nick), ToWire(Panel4->Edit3->text()))))
        Panel4->hide();
}

void RoomWindow::Ban1Click()
{
    const QString nick = nickList_->SelectedNick();
    if (nick.isEmpty())
        return;
    if (SendRoomLine(sent::BanLine(RoomOnWire(), NameOnWire(nick))))
        NoteBan(nick);
}

void RoomWindow::KickandBan1Click()
{
    const QString nick = nickList_->SelectedNick();
    if (nick.isEmpty())
        return;
    if (!SendRoomLine(sent::BanLine(RoomOnWire(), NameOnWire(nick))))
        return;
    NoteBan(nick);
    // The kick itself waits for the reason panel's Kick.
    PlacePanels();
    Panel4->Open();
}

void RoomWindow::MakeHost1Click()
{
    // The list changes when the server's MODE line comes back.
    const QString nick = nickList_->SelectedNick();
    if (!nick.isEmpty())
        SendRoomLine(sent::MakeHostLine(RoomOnWire(), NameOnWire(nick)));
}

void RoomWindow::DeHost1Click()
{
    const QString nick = nickList_->SelectedNick();
    if (!nick.isEmpty())
        SendRoomLine(sent::DeHostLine(RoomOnWire(), NameOnWire(nick)));
}
