#include "chat/nick_list_menu.h"

#include <QMenu>

NickListMenu BuildNickListMenu(QWidget* parent)
{
    NickListMenu built;
    QMenu* menu = built.PopupMenu1 = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    const auto entry = [menu](const char* name, const char* caption) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    const auto separator = [menu](const char* name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    built.Addtobuddylist1 = entry("Addtobuddylist1", "Add to buddy list");
    built.Whisper1 = entry("Whisper1", "Whisper");
    separator("N1");
    built.Ignore1 = entry("Ignore1", "Ignore");
    built.UnIgnore1 = entry("UnIgnore1", "UnIgnore");
    separator("N2");
    built.Kick1 = entry("Kick1", "Kick");
    built.KickandBan1 = entry("KickandBan1", "Kick and Ban");
    separator("N3");
    built.Ban1 = entry("Ban1", "Ban");
    separator("N4");
    built.MakeHost1 = entry("MakeHost1", "Make Host");
    built.DeHost1 = entry("DeHost1", "De-Host");
    separator("N7");
    built.Information1 = entry("Information1", "Profile");
    separator("N8");
    return built;
}
