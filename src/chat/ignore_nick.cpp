#include "chat/ignore_nick.h"

#include "common/account_lists.h"
#include "model/chat_frame.h"
#include "common/prompts.h"

void IgnoreNick(ChatFrame& frame, const QString& nick, bool asHost, QWidget* asker)
{
    const QString listed = asHost ? u'@' + nick : nick;
    frame.ChangeIgnoreList([&listed](IgnoreEntries& list) { list.Append(listed); });
    QString error;
    if (!AccountListFile(frame.AccountFolder(), AccountList::Ignore).Add(nick, &error))
        prompts().Error(asker, error);
}

Unignored UnignoreNick(ChatFrame& frame, const QString& nick, QWidget* asker)
{
    Unignored removed;
    // Ignoring twice lists the nick twice: every copy goes, or the nick
    // would stay ignored while its icon says otherwise.
    frame.ChangeIgnoreList([&](IgnoreEntries& list) {
        removed.plain = list.RemoveEvery(nick) > 0;
        removed.host = list.RemoveEvery(u'@' + nick) > 0;
    });
    QString error;
    if (!AccountListFile(frame.AccountFolder(), AccountList::Ignore).Erase({nick}, &error))
        prompts().Error(asker, error);
    return removed;
}
