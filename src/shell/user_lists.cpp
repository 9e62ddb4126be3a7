#include "shell/user_lists.h"

#include "model/chat_frame.h"
#include "common/list_writes.h"
#include "shell/options_dialog.h"

#include <QMenu>
#include <QMutexLocker>

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

UserLists::UserLists(ChatFrame& frame, QWidget* owner, QMenu* favorites, QMenu* buddies)
    : QObject(owner), frame_(frame), owner_(owner), favorites_(favorites), buddies_(buddies)
{
    connect(favorites_, &QMenu::triggered, this, &UserLists::JoinFavorite);
    connect(buddies_, &QMenu::triggered, this, &UserLists::OpenBuddy);
}

bool UserLists::HasIgnoreList() const
{
    QMutexLocker lock(&lock_);
    return ignoreList_.has_value();
}

QStringList UserLists::IgnoreList() const
{
    QMutexLocker lock(&lock_);
    return ignoreList_ ? ignoreList_->Entries() : QStringList();
}

void UserLists::SetIgnoreList(const std::optional<QStringList>& list)
{
    QMutexLocker lock(&lock_);
    if (list)
        ignoreList_.emplace(*list);
    else
        ignoreList_.reset();
}

void UserLists::ChangeIgnoreList(const std::function<void(IgnoreEntries&)>& change)
{
    QMutexLocker lock(&lock_);
    if (!ignoreList_) ignoreList_.emplace();
    change(*ignoreList_);
}

bool UserLists::IsIgnored(const QString& nick) const
{
    QMutexLocker lock(&lock_);
    return ignoreList_ && ignoreList_->IsIgnored(nick);
}

bool UserLists::IgnoreForGood(const QString& nick, QWidget* asker)
{
    if (nick.isEmpty()) return false;
    if (!AddToListOrTell(frame_.AccountFolder(), AccountList::Ignore, nick, asker ? asker : owner_)) return false;
    ChangeIgnoreList([&nick](IgnoreEntries& list) {
        if (!list.Contains(nick)) list.Append(nick);
    });
    return true;
}

void UserLists::FillMenu(QMenu* menu, AccountList list)
{
    const QList<ListEntry> entries = AccountListFile(frame_.AccountFolder(), list).Entries();
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

void UserLists::LoadFavoritesMenu() { FillMenu(favorites_, AccountList::Favorites); }

void UserLists::LoadBuddiesMenu() { FillMenu(buddies_, AccountList::Buddies); }

void UserLists::LoadIgnoreList()
{
    // Read before the lock is taken: the reader thread only waits for the swap.
    const QStringList names = AccountListFile(frame_.AccountFolder(), AccountList::Ignore).Names();
    ChangeIgnoreList([&names](IgnoreEntries& list) { list.Reset(names); });
}

void UserLists::LoadAccountLists()
{
    frame_.AccountFolder();  // makes the folders that are missing; one that cannot be made is left out
    LoadFavoritesMenu();
    LoadBuddiesMenu();
    LoadIgnoreList();
}

void UserLists::ShowOptions()
{
    {
        OptionsDialog dialog(frame_.AccountFolder(), owner_);
        if (extendOptions) extendOptions(dialog);
        dialog.exec();
    }
    LoadFavoritesMenu();
    LoadBuddiesMenu();
    LoadIgnoreList();
}

void UserLists::ReloadFavoritesSoon()
{
    QMetaObject::invokeMethod(this, &UserLists::LoadFavoritesMenu, Qt::QueuedConnection);
}

void UserLists::ReloadBuddiesSoon() { QMetaObject::invokeMethod(this, &UserLists::LoadBuddiesMenu, Qt::QueuedConnection); }

void UserLists::JoinFavorite(QAction* item) { frame_.ShowRoom(CaptionText(item->text())); }

void UserLists::OpenBuddy(QAction* item) { frame_.OpenPrivateWindowFromUser(CaptionText(item->text())); }
