// The room window's nick-list menu: buddies, whispers, ignoring, the host's
// kicks, bans and host rights, and the profile.
#include "chat/room_window.h"

#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/renderer.h"
#include "chat/rich_text_view.h"
#include "chat/room_panels.h"
#include "common/chat_frame.h"
#include "common/line_writes.h"
#include "common/list_writes.h"
#include "common/prompts.h"
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

void TForm1::Ignore1Click()
{
    QTreeWidgetItem* entry = ListView1->SelectedEntry();
    const QString nick = ListView1->SelectedNick();
    if (!entry || nick.isEmpty() || !frame_)
        return;
    // One ignored while a host is listed as "@nick", so that unignoring
    // gives the star back.
    const QString listed = TNickListView::IconNumber(entry) == kHostIcon ? u'@' + nick : nick;
    frame_->ChangeIgnoreList([&listed](IgnoreEntries& list) { list.Append(listed); });
    TNickListView::SetIconNumber(entry, kIgnoredIcon);
    AddToAccountList(AccountList::Ignore, nick);
}

void TForm1::UnIgnore1Click()
{
    QTreeWidgetItem* entry = ListView1->SelectedEntry();
    const QString nick = ListView1->SelectedNick();
    if (!entry || nick.isEmpty() || !frame_)
        return;
    bool removedPlain = false;
    bool removedHost = false;
    frame_->ChangeIgnoreList([&](IgnoreEntries& list) {
        const QStringList entries = list.Entries();
        const QString asHost = u'@' + nick;
        const auto firstEqual = [&entries](const QString& wanted) {
            for (const QString& e : entries)
                if (e.compare(wanted, Qt::CaseInsensitive) == 0)
                    return e;
            return QString();
        };
        const QString plain = firstEqual(nick);
        removedPlain = !plain.isEmpty() && list.RemoveOne(plain);
        const QString host = firstEqual(asHost);
        removedHost = !host.isEmpty() && list.RemoveOne(host);
    });
    if (removedPlain)
        TNickListView::SetIconNumber(entry, kNormalIcon);
    if (removedHost)
        TNickListView::SetIconNumber(entry, kHostIcon);
    EraseFromListOrTell(frame_->AccountFolder(), AccountList::Ignore, {nick}, this);
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
    if (nick.isEmpty()) {
        MoveToAppendPosition(*mainchat);
        WriteWarningNote(*mainchat, QStringLiteral("To kick first select a user in the list"));
        return;
    }
    if (SendRoomLine(sent::KickLine(ToWire(Title()), ToWire(nick), ToWire(Panel4->Edit3->text()))))
        Panel4->hide();
}

void TForm1::Ban1Click()
{
    const QString nick = ListView1->SelectedNick();
    if (nick.isEmpty())
        return;
    if (SendRoomLine(sent::BanLine(ToWire(Title()), ToWire(nick))))
        banList_ << nick;
}

void TForm1::KickandBan1Click()
{
    const QString nick = ListView1->SelectedNick();
    if (nick.isEmpty())
        return;
    if (!SendRoomLine(sent::BanLine(ToWire(Title()), ToWire(nick))))
        return;
    banList_ << nick;
    // The kick itself waits for the reason panel's Kick.
    PlacePanels();
    Panel4->Open();
}

void TForm1::MakeHost1Click()
{
    // The list changes when the server's MODE line comes back.
    const QString nick = ListView1->SelectedNick();
    if (!nick.isEmpty())
        SendRoomLine(sent::MakeHostLine(ToWire(Title()), ToWire(nick)));
}

void TForm1::DeHost1Click()
{
    const QString nick = ListView1->SelectedNick();
    if (!nick.isEmpty())
        SendRoomLine(sent::DeHostLine(ToWire(Title()), ToWire(nick)));
}
