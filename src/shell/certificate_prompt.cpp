#include "shell/certificate_prompt.h"

#include "common/certificate_pins.h"
#include "common/prompts.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"

QString CertificateQuestion(const CertificateError& error)
{
    const QString host = ShownText(FromWire(error.Host()));
    const QString opening =
        error.Changed()
            ? QStringLiteral("The certificate of %1 has changed since you chose to trust it, and the new one "
                             "could not be verified. Nothing was sent to the server.")
                  .arg(host)
            : QStringLiteral("The certificate of %1 could not be verified. Nothing was sent to the server.")
                  .arg(host);
    return opening + QStringLiteral("\n\n") + QString::fromStdString(error.Reason()) +
           QStringLiteral("\n\nSHA-256 fingerprint:\n") + QString::fromStdString(error.Fingerprint()) +
           QStringLiteral("\n\nDo you want to trust this certificate for %1?").arg(host);
}

bool TrustCertificateAfterAsking(QWidget* parent, LineConnection& connection, const CertificateError& error)
{
    const QString caption = error.Changed() ? QStringLiteral("Certificate changed")
                                            : QStringLiteral("Certificate not trusted");
    if (!prompts().Confirm(parent, caption, CertificateQuestion(error))) return false;
    QString failure;
    if (!CertificatePins().Trust(FromWire(error.Host()), connection.Port(), QString::fromStdString(error.Fingerprint()),
                                 &failure)) {
        prompts().Error(parent, failure);
        return false;
    }
    TlsSettings tls = connection.Tls();
    tls.trusted.push_back(error.Fingerprint());
    connection.SetTls(tls);
    return true;
}
