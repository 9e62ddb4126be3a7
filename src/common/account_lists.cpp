#include "common/account_lists.h"

QString ListFileName(AccountList list)
{
    switch (list) {
    case AccountList::Favorites: return QStringLiteral("fav.ini");
    case AccountList::Buddies: return QStringLiteral("buddies.ini");
    case AccountList::Ignore: return QStringLiteral("ignore.ini");
    }
    return {};
}

ListFile AccountListFile(const QString& folder, AccountList list)
{
    return ListFile(folder + u'/' + ListFileName(list));
}
