// The frame's share of the account's lists: the Favorites and Buddies menus,
// the ignore list in memory, ignoring for good, and the options dialog.
#include "shell/main_form.h"

#include "common/prompts.h"
#include "common/user_data_folder.h"
#include "common/wire_text.h"
#include "shell/options_dialog.h"

#include <QMenu>

namespace {

// A menu caption that shows text as it is: "&" would mark an accelerator.
QString MenuCaption(const QString& text)
{
    QString caption = text;
    return caption.replace(u'&', QStringLiteral("&&"));
}

// The text a menu caption shows: accelerator markers gone, "&&" one "&".
QString CaptionText(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') {
            text += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
            text += u'&';
            ++i;
        }
    }
    return text;
}

}  // namespace

QString TMainForm::AccountFolder() const
{
    return UserDataFolder(FromWire(IdTCPClient1.Host()), CurrentNick());
}

void TMainForm::EnsureUserDataFolders()
{
    AccountFolder();  // makes what is missing; a folder that cannot be made is left out
}

void TMainForm::FillListMenu(QMenu* menu, AccountList list)
{
    menu->clear();
    const QList<ListEntry> entries = AccountListFile(AccountFolder(), list).Entries();
    // Added in one go: one layout of the menu instead of one per item.
    QList<QAction*> items;
    items.reserve(entries.size());
    for (const ListEntry& entry : entries) {
        auto* item = new QAction(MenuCaption(entry.name), menu);
        // A section without a name has nothing to open.
        item->setEnabled(!entry.name.isEmpty());
        items << item;
    }
    menu->addActions(items);
}

void TMainForm::LoadFavoritesMenu() { FillListMenu(Favorites1, AccountList::Favorites); }

void TMainForm::LoadBuddiesMenu() { FillListMenu(Buddies1, AccountList::Buddies); }

void TMainForm::LoadIgnoreList()
{
    // Read before the lock is taken: the reader thread only waits for the swap.
    const QStringList names = AccountListFile(AccountFolder(), AccountList::Ignore).Names();
    ChangeIgnoreList([&names](IgnoreEntries& list) { list.Reset(names); });
}

void TMainForm::LoadAccountLists()
{
    EnsureUserDataFolders();
    LoadFavoritesMenu();
    LoadBuddiesMenu();
    LoadIgnoreList();
}

void TMainForm::JoinFavRoom(QAction* item)
{
    const QString room = CaptionText(item->text());
    if (room.isEmpty()) return;
    for (QWidget* child : ChildWindows())
        if (child->windowTitle() == room) {
            BringToFront(child);
            return;
        }
    OpenRoomWindow(room);
}

void TMainForm::OpenBuddyPrivMessage(QAction* item)
{
    OpenPrivateWindowFromUser(CaptionText(item->text()));
}

void TMainForm::Options1Click()
{
    {
        TForm10 dialog(AccountFolder(), this);
        dialog.exec();
    }
    LoadFavoritesMenu();
    LoadBuddiesMenu();
    LoadIgnoreList();
}

void TMainForm::ReloadFavoritesNotification()
{
    QMetaObject::invokeMethod(this, &TMainForm::LoadFavoritesMenu, Qt::QueuedConnection);
}

void TMainForm::ReloadBuddiesNotification()
{
    QMetaObject::invokeMethod(this, &TMainForm::LoadBuddiesMenu, Qt::QueuedConnection);
}

bool TMainForm::IgnoreForGood(const QString& nick, QWidget* asker)
{
    if (nick.isEmpty()) return false;
    QString error;
    if (!AccountListFile(AccountFolder(), AccountList::Ignore).Add(nick, &error)) {
        prompts().Error(asker ? asker : this, error);
        return false;
    }
    ChangeIgnoreList([&nick](IgnoreEntries& list) {
        if (!list.Contains(nick)) list.Append(nick);
    });
    return true;
}
