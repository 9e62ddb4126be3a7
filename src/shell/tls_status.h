#pragma once
// The frame's status bar mark of a secured connection: a closed padlock and
// "TLS" with its version while the connection is a TLS one, nothing
// otherwise. Its tooltip names the server's certificate: subject, issuer and
// SHA-256 fingerprint.
#include <QWidget>

class QLabel;
struct PeerCertificate;

class TlsStatus : public QWidget {
    Q_OBJECT
public:
    explicit TlsStatus(QWidget* parent = nullptr);

    // The connection is open: shown for a TLS one (a certificate with a
    // fingerprint), hidden for a plain one.
    void ShowConnection(const PeerCertificate& certificate);
    // The connection ended.
    void Clear();
    // What it says ("TLS 1.3"), empty when hidden.
    QString Text() const;

private:
    QLabel* padlock_;
    QLabel* words_;
};

// The tooltip's text for certificate.
QString CertificateSummary(const PeerCertificate& certificate);
