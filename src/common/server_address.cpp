#include "common/server_address.h"

namespace {

ParsedServerAddress Refused(const QString& why) { return {ServerAddress{}, why}; }

}  // namespace

ParsedServerAddress ParseServerAddress(const QString& text, bool tlsSwitch, int plainPort)
{
    for (const QChar c : text)
        if (c.isSpace())
            return Refused(QStringLiteral("The server address must not contain spaces."));

    ServerAddress address;
    QString rest = text;
    if (const qsizetype scheme = rest.indexOf(QLatin1String("://")); scheme >= 0) {
        const QString name = rest.left(scheme).toLower();
        if (name == QLatin1String("ircs"))
            address.tls = true;
        else if (name != QLatin1String("irc"))
            return Refused(QStringLiteral("The server address must be a host name, host:port, "
                                          "irc://host:port or ircs://host:port."));
        rest = rest.mid(scheme + 3);
        if (rest.endsWith(u'/')) rest.chop(1);
    } else {
        address.tls = tlsSwitch;
    }
    address.port = address.tls ? kTlsPort : plainPort;

    if (const qsizetype colon = rest.lastIndexOf(u':'); colon >= 0) {
        const QString port = rest.mid(colon + 1);
        rest = rest.left(colon);
        bool ok = !port.isEmpty() && port.size() <= 5;
        for (const QChar c : port) ok = ok && c >= u'0' && c <= u'9';
        const int number = ok ? port.toInt() : 0;
        if (number < 1 || number > 65535)
            return Refused(QStringLiteral("The port in the server address must be a number from 1 to 65535."));
        address.port = number;
    }
    if (rest.isEmpty()) return Refused(QStringLiteral("The server address has no host name."));
    for (const QChar c : rest)
        if (c == u':' || c == u'/' || c == u'@' || c.unicode() < 0x20)
            return Refused(QStringLiteral("The host name in the server address holds characters a host "
                                          "name cannot hold."));
    address.host = rest;
    return {address, QString()};
}
