#include "shell/connection_target.h"

#include "common/certificate_pins.h"
#include "common/prompts.h"
#include "common/server_address.h"
#include "common/timings.h"
#include "common/wire_text.h"
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
