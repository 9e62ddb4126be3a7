#pragma once
// Changing one of the account's lists where the user asked for it: the
// change is written, or the user is told in a message box why it was not.
#include "common/account_lists.h"

#include <QString>
#include <QStringList>

class QWidget;

// Adds entry to the account's list in folder; false (and the reason shown
// over asker) when it could not be written.
bool AddToListOrTell(const QString& folder, AccountList list, const QString& entry, QWidget* asker);
// Erases the named sections in one write; false as for AddToListOrTell.
bool EraseFromListOrTell(const QString& folder, AccountList list, const QStringList& sections, QWidget* asker);
