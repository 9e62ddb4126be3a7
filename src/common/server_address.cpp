#include "common/server_address.h"

#include <arpa/inet.h>

#include <optional>

namespace {

ParsedServerAddress Refused(const QString& why) { return {ServerAddress{}, why}; }

const QString kBadHost = QStringLiteral("The host name in the server address holds characters a host name cannot hold.");

// An IPv6 address in numbers, with an optional scope ("fe80::1%eth0").
bool IsIpv6Address(const QString& text)
{
    const qsizetype percent = text.indexOf(u'%');
    const QString scope = percent < 0 ? QString() : text.mid(percent + 1);
    if (percent >= 0 && scope.isEmpty()) return false;
    for (const QChar c : scope)
        if (!c.isLetterOrNumber() && c != u'_' && c != u'-' && c != u'.') return false;
    unsigned char buf[16];
    return ::inet_pton(AF_INET6, text.left(percent).toLatin1().constData(), buf) == 1;
}

// Reads text as a port number from 1 to 65535, or refuses it.
std::optional<int> PortNumber(const QString& text)
{
    bool ok = !text.isEmpty() && text.size() <= 5;
    for (const QChar c : text) ok = ok && c >= u'0' && c <= u'9';
    const int number = ok ? text.toInt() : 0;
    if (number < 1 || number > 65535) return std::nullopt;
    return number;
}

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
    if (rest.contains(u'/') || rest.contains(u'@')) return Refused(kBadHost);  // a path or a user: no server address

    // An IPv6 address with a port goes in brackets ("[::1]:6697"); without
    // one it may stand alone ("::1"): a second colon tells it from host:port.
    QString portText;
    bool portGiven = false;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return Refused(QStringLiteral("The server address opens a bracket '[' and does not close it."));
        const QString after = rest.mid(close + 1);
        rest = rest.mid(1, close - 1);
        if (rest.isEmpty()) return Refused(QStringLiteral("The server address has no host name."));
        if (!IsIpv6Address(rest))
            return Refused(QStringLiteral("The server address holds '%1' in brackets, which is not an IPv6 address.")
                               .arg(rest));
        if (!after.isEmpty()) {
            if (!after.startsWith(u':'))
                return Refused(QStringLiteral("After the closing bracket ']' only a port may follow, as in [::1]:6697."));
            portGiven = true;
            portText = after.mid(1);
        }
    } else if (rest.count(u':') >= 2) {
        if (!IsIpv6Address(rest)) return Refused(kBadHost);
    } else if (const qsizetype colon = rest.lastIndexOf(u':'); colon >= 0) {
        portGiven = true;
        portText = rest.mid(colon + 1);
        rest = rest.left(colon);
    }
    if (portGiven) {
        const std::optional<int> number = PortNumber(portText);
        if (!number)
            return Refused(QStringLiteral("The port in the server address must be a number from 1 to 65535."));
        address.port = *number;
    }
    if (rest.isEmpty()) return Refused(QStringLiteral("The server address has no host name."));
    const bool ipv6 = rest.contains(u':');
    for (const QChar c : rest)
        if ((c == u':' && !ipv6) || c == u'[' || c == u']' || c.unicode() < 0x20)
            return Refused(kBadHost);
    address.host = rest;
    return {address, QString()};
}

QString HostForAddress(const QString& host)
{
    return host.contains(u':') && !host.startsWith(u'[') ? u'[' + host + u']' : host;
}
