#pragma once
// The certificates the user chose to trust although they did not verify: one
// SHA-256 fingerprint per host, kept in "trusted_certificates.txt" in the
// user data folder, one "host fingerprint" pair a line.
#include <QString>
#include <QStringList>

class CertificatePins {
public:
    // The file in the user data folder.
    CertificatePins();
    explicit CertificatePins(QString path) : path_(std::move(path)) {}

    QString Path() const { return path_; }
    // The fingerprints trusted for host (letter case of the host ignored).
    // Empty, with error set, when the file exists but cannot be read.
    QStringList For(const QString& host, QString* error = nullptr) const;
    // Trusts fingerprint for host instead of what was trusted for it before;
    // the file is replaced in one step. False, with error set, when it cannot
    // be written.
    bool Trust(const QString& host, const QString& fingerprint, QString* error = nullptr) const;

private:
    bool Read(QStringList& lines, QString* error) const;
    QString path_;
};
