#include "shell/connection_target.h"

#include "common/certificate_pins.h"
#include "common/prompts.h"
#include "common/server_address.h"
#include "common/timings.h"
#include "common/wire_text.h"
#include "protocol/stream/host_lookup.h"
#include "protocol/stream/line_connection.h"

bool AimConnection(QWidget* parent, LineConnection& connection, const QString& boxText, bool tlsSwitch)
{
    const ParsedServerAddress parsed = ParseServerAddress(boxText, tlsSwitch, timing().defaultPort);
    if (!parsed.error.isEmpty()) {
        prompts().Error(parent, parsed.error);
        return false;
    }
    const ServerAddress& address = parsed.address;
    connection.SetHost(ToWire(address.host));
    connection.SetPort(address.port);
    TlsSettings tls = connection.Tls();
    tls.enabled = address.tls;
    tls.trusted.clear();
    if (address.tls) {
        QString error;
        for (const QString& fingerprint : CertificatePins().For(address.host, address.port, &error))
            tls.trusted.push_back(fingerprint.toStdString());
        // Without the file the certificate is still checked; only a trust
        // given before is missing, and the user may give it again.
        if (!error.isEmpty()) prompts().Error(parent, error);
    }
    connection.SetTls(tls);
    return true;
}

QString ConnectedLine(const LineConnection& connection)
{
    const QString host = FromWire(connection.Host());
    const QString address = FromWire(connection.PeerAddress());
    const QString port = QString::number(connection.Port());
    if (address.isEmpty()) return QStringLiteral("Connected.");
    // A host written in numbers is the address itself, whichever way it was written.
    if (SocketAddress::FromNumbers(connection.Host(), connection.Port()))
        return QStringLiteral("Connected to %1 port %2.").arg(address, port);
    return QStringLiteral("Connected to %1 (%2 port %3).").arg(host, address, port);
}
