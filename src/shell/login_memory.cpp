#include "shell/login_memory.h"

#include "common/program_settings.h"

#include <QUrl>

namespace {

// A settings key holds no "/" or "\" of its own: the server's name is kept
// percent-encoded below the group (an IPv6 host brings colons and brackets).
QString Group(const QString& server)
{
    return QStringLiteral("LoginByServer/") + QString::fromLatin1(QUrl::toPercentEncoding(server.toLower()));
}

}  // namespace

QString LoginServerKey(const QString& host, int port) { return host + u':' + QString::number(port); }

RememberedLogin RecallLogin(const QString& server)
{
    QSettings settings = ProgramSettings();
    settings.beginGroup(Group(server));
    RememberedLogin login;
    login.nick = settings.value(QStringLiteral("Nick")).toString();
    login.guest = settings.value(QStringLiteral("Guest"), false).toBool();
    return login;
}

void RememberLogin(const QString& server, const RememberedLogin& login)
{
    QSettings settings = ProgramSettings();
    settings.beginGroup(Group(server));
    settings.setValue(QStringLiteral("Nick"), login.nick);
    settings.setValue(QStringLiteral("Guest"), login.guest);
}
