// The room window's nick-list menu: buddies, whispers, ignoring, the host's
// kicks, bans and host rights, and the profile.
#include "chat/room_window.h"

#include "chat/ignore_nick.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/renderer.h"
#include "chat/rich_text_view.h"
#include "chat/room_panels.h"
#include "common/chat_frame.h"
#include "common/line_writes.h"
#include "common/list_writes.h"
#include "common/prompts.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/line_connection.h"
#include "protocol/sent_lines.h"

#include <QLineEdit>
#include <QMenu>

void TForm1::BuildNickListMenu()
{
    static_cast<NickListMenu&>(*this) = ::BuildNickListMenu(this);

    connect(Addtobuddylist1, &QAction::triggered, this, &TForm1::Addtobuddylist1Click);
    connect(Whisper1, &QAction::triggered, this, &TForm1::ListView1DblClick);
    connect(Ignore1, &QAction::triggered, this, &TForm1::Ignore1Click);
    connect(UnIgnore1, &QAction::triggered, this, &TForm1::UnIgnore1Click);
    connect(Kick1, &QAction::triggered, this, &TForm1::Kick1Click);
    connect(KickandBan1, &QAction::triggered, this, &TForm1::KickandBan1Click);
    connect(Ban1, &QAction::triggered, this, &TForm1::Ban1Click);
    connect(MakeHost1, &QAction::triggered, this, &TForm1::MakeHost1Click);
    connect(DeHost1, &QAction::triggered, this, &TForm1::DeHost1Click);
    connect(Information1, &QAction::triggered, this, &TForm1::Information1Click);

    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
    });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &TForm1::ListView1DblClick);
}

// --- Shared by the nick-list and tool actions ---

bool TForm1::SendRoomLine(const std::string& line) { return SendRoomLines({line}); }

bool TForm1::SendRoomLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (!LineConnection::Sendable(line)) {
            MoveToAppendPosition(*mainchat);
            WriteWarningNote(*mainchat,
                             QStringLiteral("A line break or NUL character cannot be sent: nothing was sent"));
            return false;
        }
    return WriteLinesOrTell(frame_ ? &frame_->Connection() : nullptr, lines, this);
}

bool TForm1::AddToAccountList(AccountList list, const QString& entry)
{
    return frame_ && !entry.isEmpty() && AddToListOrTell(frame_->AccountFolder(), list, entry, this);
}

// --- Personal entries ---

void TForm1::Addtobuddylist1Click()
{
    const QString nick = ListView1->SelectedNick();
    if (nick.isEmpty())
        return;
    if (AddToAccountList(AccountList::Buddies, nick))
        frame_->ReloadBuddiesNotification();
}

void TForm1::ListView1DblClick()
{
    const QString nick = ListView1->SelectedNick();
    if (!nick.isEmpty() && frame_)
        frame_->OpenPrivateWindowFromUser(nick);
}

void TForm1::Ignore1Click() { IgnoreNickNamed(ListView1->SelectedNick()); }

void TForm1::IgnoreNickNamed(const QString& nick)
{
    if (nick.isEmpty() || !frame_)
        return;
    // One ignored while a host is listed as "@nick", so that unignoring
    // gives the star back.
    QTreeWidgetItem* entry = ListView1->FindExact(nick);
    IgnoreNick(*frame_, nick, entry && TNickListView::IconNumber(entry) == kHostIcon, this);
    if (entry)
        TNickListView::SetIconNumber(entry, kIgnoredIcon);
}

void TForm1::UnIgnore1Click() { UnignoreNickNamed(ListView1->SelectedNick()); }

void TForm1::UnignoreNickNamed(const QString& nick)
{
    if (nick.isEmpty() || !frame_)
        return;
    const Unignored removed = UnignoreNick(*frame_, nick, this);
    QTreeWidgetItem* entry = ListView1->FindExact(nick);
    if (entry && removed.plain)
        TNickListView::SetIconNumber(entry, kNormalIcon);
    if (entry && removed.host)
        TNickListView::SetIconNumber(entry, kHostIcon);
}

void TForm1::Information1Click()
{
    const QString nick = ListView1->SelectedNick();
    if (!nick.isEmpty() && frame_)
        frame_->OpenUserProfile(nick, this);
}

// --- Host entries ---

void TForm1::Kick1Click()
{
    if (ListView1->SelectedNick().isEmpty())
        return;
    PlacePanels();
    Panel4->Open();
}

void TForm1::Button3Click()
{
    // The nick selected now: the one chosen before may have left meanwhile.
    const QString nick = ListView1->SelectedNick();
    if (nick.isEmpty())
        return;
    if (SendRoomLine(sent::KickLine(RoomOnWire(), NameOnWire(nick), ToWire(Panel4->Edit3->text()))))
        Panel4->hide();
}

void TForm1::Ban1Click()
{
    const QString nick = ListView1->SelectedNick();
    if (nick.isEmpty())
        return;
    if (SendRoomLine(sent::BanLine(RoomOnWire(), NameOnWire(nick))))
        NoteBan(nick);
}

void TForm1::KickandBan1Click()
{
    const QString nick = ListView1->SelectedNick();
    if (nick.isEmpty())
        return;
    if (!SendRoomLine(sent::BanLine(RoomOnWire(), NameOnWire(nick))))
        return;
    NoteBan(nick);
    // The kick itself waits for the reason panel's Kick.
    PlacePanels();
    Panel4->Open();
}

void TForm1::MakeHost1Click()
{
    // The list changes when the server's MODE line comes back.
    const QString nick = ListView1->SelectedNick();
    if (!nick.isEmpty())
        SendRoomLine(sent::MakeHostLine(RoomOnWire(), NameOnWire(nick)));
}

void TForm1::DeHost1Click()
{
    const QString nick = ListView1->SelectedNick();
    if (!nick.isEmpty())
        SendRoomLine(sent::DeHostLine(RoomOnWire(), NameOnWire(nick)));
}
