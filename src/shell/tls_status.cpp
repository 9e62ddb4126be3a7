#include "shell/tls_status.h"

#include "common/app_icons.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/stream/tls_stream.h"

#include <QHBoxLayout>
#include <QLabel>

QString CertificateSummary(const PeerCertificate& certificate)
{
    // The certificate's names are the server's text: shown as fit to show.
    QStringList lines{
        QStringLiteral("Secured with ") + FromWire(certificate.protocol),
        QStringLiteral("Subject: ") + ShownText(FromWire(certificate.subject)),
        QStringLiteral("Issuer: ") + ShownText(FromWire(certificate.issuer)),
        QStringLiteral("SHA-256 fingerprint: ") + FromWire(certificate.fingerprint),
    };
    if (!certificate.verified) lines << QStringLiteral("The certificate does not verify: you chose to trust it.");
    return lines.join(u'\n');
}

TlsStatus::TlsStatus(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tlsStatus"));
    padlock_ = new QLabel(this);
    words_ = new QLabel(this);
    words_->setTextFormat(Qt::PlainText);
    const int side = words_->fontMetrics().height();
    padlock_->setPixmap(GlyphIcon(Glyph::Padlock).pixmap(side, side));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(3);
    row->addWidget(padlock_);
    row->addWidget(words_);
    hide();
}

void TlsStatus::ShowConnection(const PeerCertificate& certificate)
{
    if (certificate.fingerprint.empty()) {
        Clear();
        return;
    }
    QString version = FromWire(certificate.protocol);
    version.replace(QStringLiteral("TLSv"), QStringLiteral("TLS "));
    words_->setText(version);
    setToolTip(CertificateSummary(certificate));
    show();
}

void TlsStatus::Clear()
{
    words_->clear();
    setToolTip(QString());
    hide();
}

QString TlsStatus::Text() const { return isHidden() ? QString() : words_->text(); }
