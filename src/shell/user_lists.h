#pragma once
// The user's three lists on the frame's side: the Favorites and Buddies
// menus read from the account's files, the ignore list in memory, and what
// changes them (ignoring for good, the options dialog, reload notifications).
#include "common/account_lists.h"
#include "common/ignore_entries.h"

#include <QMutex>
#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class ChatFrame;
class QAction;
class QMenu;
class OptionsDialog;
class QWidget;

class UserLists : public QObject {
    Q_OBJECT
public:
    // frame: the account's folder and the windows the menus open; owner: the
    // frame window, over which errors and the options dialog show.
    UserLists(ChatFrame& frame, QWidget* owner, QMenu* favorites, QMenu* buddies);

    // --- The ignore list, read and changed under one lock (the reader
    // thread asks IsIgnored at any time); none until a connection made it.
    bool HasIgnoreList() const;
    QStringList IgnoreList() const;
    void SetIgnoreList(const std::optional<QStringList>& list);
    void ChangeIgnoreList(const std::function<void(IgnoreEntries&)>& change);
    bool IsIgnored(const QString& nick) const;
    // Writes nick to "ignore.ini", then adds it to the list in memory; a
    // failed write is told over asker and changes nothing.
    bool IgnoreForGood(const QString& nick, QWidget* asker);

    // --- The files ---
    // Rebuild the Favorites or Buddies menu from its file, in file order.
    void LoadFavoritesMenu();
    void LoadBuddiesMenu();
    // The ignore list in memory becomes the entries of "ignore.ini".
    void LoadIgnoreList();
    // What a login does: the folders, then both menus, then the ignore list.
    void LoadAccountLists();
    // Chat, Options: the options dialog, then all three read again.
    void ShowOptions();
    // Adds pages of its own to the options dialog before it shows (the history's).
    std::function<void(OptionsDialog&)> extendOptions;
    // A window changed a file: its menu is rebuilt once the caller returned.
    void ReloadFavoritesSoon();
    void ReloadBuddiesSoon();

private:
    void FillMenu(QMenu* menu, AccountList list);
    void JoinFavorite(QAction* item);
    void OpenBuddy(QAction* item);

    ChatFrame& frame_;
    QWidget* owner_;
    QMenu* favorites_;
    QMenu* buddies_;
    mutable QMutex lock_;
    std::optional<IgnoreEntries> ignoreList_;
};
