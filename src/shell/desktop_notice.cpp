#include "shell/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QElapsedTimer>
#include <QVariantMap>

namespace {
// Notices come one at a time at most this often, however many lines ask.
constexpr qint64 kLeastGapMs = 3000;

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// What the notification service said it can do; asked once, with the first
// notice, and not waited for. Until it answers a body is assumed shown.
struct ServiceCapabilities {
    bool asked = false;
    bool answered = false;
    QStringList list;

    bool ShowsBody() const { return !answered || list.contains(QStringLiteral("body")); }

    void AskOnce(QDBusConnection& bus)
    {
        if (asked) return;
        asked = true;
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetCapabilities"));
        call.setAutoStartService(false);
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [this](QDBusPendingCallWatcher* finished) {
            const QDBusPendingReply<QStringList> reply = *finished;
            if (!reply.isError()) {
                list = reply.value();
                answered = true;
            }
            finished->deleteLater();
        });
    }
};

ServiceCapabilities& Capabilities()
{
    static ServiceCapabilities capabilities;
    return capabilities;
}

// text with "&", "<" and ">" written as entities: a notification service
// that reads markup shows it as it is, and follows no link or picture in it.
QString NoticeEscaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>': out += QLatin1String("&gt;"); break;
        default: out += c; break;
        }
    }
    return out;
}

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
    ServiceCapabilities& capabilities = Capabilities();
    capabilities.AskOnce(bus);
    // A service that shows no body gets it in the summary.
    const bool bodyShown = capabilities.ShowsBody();
    const QString shownSummary = bodyShown ? summary : summary + QStringLiteral(": ") + body;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    call << QStringLiteral("Talvessa") << uint(0) << QString() << NoticeEscaped(shownSummary)
         << (bodyShown ? NoticeEscaped(body) : QString()) << QStringList() << QVariantMap() << int(-1);
    // No answer is awaited: a missing service only means no notification.
    call.setAutoStartService(false);
    bus.send(call);
}
