#include "common/certificate_pins.h"

#include "common/user_data_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A line's host and fingerprint; false for a line that holds no pair.
bool Split(const QString& line, QString& host, QString& fingerprint)
{
    const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 2) return false;
    host = parts[0];
    fingerprint = parts[1];
    return true;
}

}  // namespace

CertificatePins::CertificatePins() : path_(UserDataRoot() + QStringLiteral("/trusted_certificates.txt")) {}

bool CertificatePins::Read(QStringList& lines, QString* error) const
{
    QFile file(path_);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("The trusted certificates cannot be read from %1: %2")
                         .arg(QDir::toNativeSeparators(path_), file.errorString());
        return false;
    }
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty()) lines << QString::fromUtf8(line.trimmed());
    return true;
}

QStringList CertificatePins::For(const QString& host, QString* error) const
{
    QStringList lines, out;
    if (!Read(lines, error)) return out;
    QString h, f;
    for (const QString& line : lines)
        if (Split(line, h, f) && h.compare(host, Qt::CaseInsensitive) == 0) out << f;
    return out;
}

bool CertificatePins::Trust(const QString& host, const QString& fingerprint, QString* error) const
{
    QStringList lines;
    if (!Read(lines, error)) return false;
    QByteArray text;
    QString h, f;
    for (const QString& line : lines)
        if (!Split(line, h, f) || h.compare(host, Qt::CaseInsensitive) != 0) text += line.toUtf8() + '\n';
    text += host.toUtf8() + ' ' + fingerprint.toUtf8() + '\n';

    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("The trusted certificate cannot be saved in %1: %2")
                         .arg(QDir::toNativeSeparators(path_), file.errorString());
        return false;
    }
    return true;
}
