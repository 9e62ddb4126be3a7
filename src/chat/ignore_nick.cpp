#include "chat/ignore_nick.h"

#include "common/account_lists.h"
#include "common/chat_frame.h"
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
    frame.ChangeIgnoreList([&](IgnoreEntries& list) {
        const QStringList entries = list.Entries();
        const auto firstEqual = [&entries](const QString& wanted) {
            for (const QString& e : entries)
                if (e.compare(wanted, Qt::CaseInsensitive) == 0)
                    return e;
            return QString();
        };
        const QString plain = firstEqual(nick);
        removed.plain = !plain.isEmpty() && list.RemoveOne(plain);
        const QString host = firstEqual(u'@' + nick);
        removed.host = !host.isEmpty() && list.RemoveOne(host);
    });
    QString error;
    if (!AccountListFile(frame.AccountFolder(), AccountList::Ignore).Erase({nick}, &error))
        prompts().Error(asker, error);
    return removed;
}
