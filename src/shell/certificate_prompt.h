#pragma once
// The question put when a server's certificate did not verify: the reason in
// plain words, the SHA-256 fingerprint, and the choice to trust it for the host.
#include <QString>

class CertificateError;
class LineConnection;
class QWidget;

// The text of the question.
QString CertificateQuestion(const CertificateError& error);

// Asks; when the user trusts the certificate, keeps it for the host and lets
// the connection accept it from now on. True when it was trusted.
bool TrustCertificateAfterAsking(QWidget* parent, LineConnection& connection, const CertificateError& error);
