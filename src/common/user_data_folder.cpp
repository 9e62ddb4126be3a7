#include "common/user_data_folder.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

namespace {

QString& RootOverride()
{
    static QString root;
    return root;
}

// One path component made from text that may hold anything.
QString FolderName(const QString& text)
{
    QString name = text;
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'_';
    const bool onlyDots = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c == u'.'; });
    if (onlyDots)
        name.prepend(u'_');
    return name;
}

}  // namespace

QString UserDataRoot()
{
    QString root = RootOverride();
    if (root.isEmpty())
        root = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return root;
}

QString UserDataFolder(const QString& host, const QString& nick)
{
    const QString root = UserDataRoot();
    const QString folder = root + QStringLiteral("/userdata/") + FolderName(host) + u'/' + FolderName(nick);
    QDir().mkpath(folder);
    return folder;
}

void SetUserDataRoot(const QString& root)
{
    RootOverride() = root;
}
