#pragma once
// The certificates the user chose to trust although they did not verify: one
// SHA-256 fingerprint per host and port, kept in "trusted_certificates.txt"
// in the user data folder, one "host:port fingerprint" pair a line ("[v6
// address]:port" for an IPv6 address). A line with a host alone, as older
// versions wrote them, holds for every port of that host that has no line
// of its own.
#include <QByteArrayList>
#include <QString>
#include <QStringList>

// The trusted certificates file.
class CertificatePins {
public:
    // The file in the user data folder.
    CertificatePins();
    explicit CertificatePins(QString path) : path_(std::move(path)) {}

    QString Path() const { return path_; }
    // The fingerprints trusted for host and port (letter case of the host
    // ignored). Empty, with error set, when the file exists but cannot be read.
    QStringList For(const QString& host, int port, QString* error = nullptr) const;
    // Trusts fingerprint for host and port instead of what was trusted for
    // that port before; every other line stays as it was, byte for byte. The
    // file is replaced in one step. False, with error set, when it cannot be
    // written.
    bool Trust(const QString& host, int port, const QString& fingerprint, QString* error = nullptr) const;

private:
    bool Read(QByteArrayList& lines, QString* error) const;
    QString path_;
};
