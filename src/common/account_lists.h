#pragma once
// The three lists an account keeps in its user data folder.
#include "common/list_file.h"

#include <QString>

enum class AccountList {
    Favorites,  // "fav.ini": rooms, the Favorites menu
    Buddies,    // "buddies.ini": nicks, the Buddies menu
    Ignore,     // "ignore.ini": nicks whose private lines and invitations are dropped
};

// "fav.ini", "buddies.ini" or "ignore.ini".
QString ListFileName(AccountList list);

// The list's file in an account's user data folder.
ListFile AccountListFile(const QString& folder, AccountList list);
