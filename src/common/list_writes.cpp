#include "common/list_writes.h"

#include "common/prompts.h"

bool AddToListOrTell(const QString& folder, AccountList list, const QString& entry, QWidget* asker)
{
    QString error;
    if (AccountListFile(folder, list).Add(entry, &error)) return true;
    prompts().Error(asker, error);
    return false;
}

bool EraseFromListOrTell(const QString& folder, AccountList list, const QStringList& sections, QWidget* asker)
{
    QString error;
    if (AccountListFile(folder, list).Erase(sections, &error)) return true;
    prompts().Error(asker, error);
    return false;
}
