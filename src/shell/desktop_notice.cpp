#include "shell/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QVariantMap>

namespace {
// Notices come one at a time at most this often, however many lines ask.
constexpr qint64 kLeastGapMs = 3000;
}  // namespace

void ShowDesktopNotice(const QString& summary, const QString& body)
{
    static QElapsedTimer sinceLast;
    if (sinceLast.isValid() && sinceLast.elapsed() < kLeastGapMs)
        return;
    sinceLast.start();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Talvessa") << uint(0) << QString() << summary << body << QStringList()
         << QVariantMap() << int(-1);
    // No answer is awaited: a missing service only means no notification.
    call.setAutoStartService(false);
    bus.send(call);
}
