// The frame's share of the account's lists: the Favorites and Buddies menus,
// the ignore list in memory, ignoring for good, and the options dialog.
#include "shell/main_form.h"

#include "common/prompts.h"
#include "common/user_data_folder.h"
#include "common/wire_text.h"
#include "shell/options_dialog.h"

#include <QMenu>

#include <algorithm>

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
    const QList<ListEntry> entries = AccountListFile(AccountFolder(), list).Entries();
    // Items already there are kept and relabelled: a menu adds or removes an
    // item in time that grows with its length, so rebuilding thousands of
    // items for every reload (each favourite added) would grow with the
    // square of their number.
    const QList<QAction*> items = menu->actions();
    const qsizetype kept = std::min(entries.size(), items.size());
    const auto label = [](QAction* item, const ListEntry& entry) {
        item->setText(MenuCaption(entry.name));
        item->setEnabled(!entry.name.isEmpty());  // a section without a name has nothing to open
    };
    for (qsizetype i = 0; i < kept; ++i) label(items[i], entries[i]);
    if (kept == 0)
        menu->clear();
    else
        for (qsizetype i = items.size() - 1; i >= kept; --i) delete items[i];
    QList<QAction*> added;
    added.reserve(entries.size() - kept);
    for (qsizetype i = kept; i < entries.size(); ++i) {
        auto* item = new QAction(menu);
        label(item, entries[i]);
        added << item;
    }
    menu->addActions(added);
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
