#include "common/certificate_pins.h"

#include "common/user_data_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// What a line pins: a host, and a port (0 for a line that holds for any port).
struct PinPlace {
    QString host;
    int port = 0;
};

// A port written after a host; 0 when text is none.
int PortOf(QStringView text)
{
    bool ok = false;
    const int port = text.toInt(&ok);
    return ok && port > 0 && port <= 65535 && text.front().isDigit() ? port : 0;
}

// The place a line's first field names: "[v6]:port", "host:port", or a host
// alone (a name, or an IPv6 address without brackets).
PinPlace PlaceOf(const QString& field)
{
    if (field.startsWith(u'[')) {
        const qsizetype close = field.indexOf(u']');
        if (close > 1 && field.size() > close + 2 && field.at(close + 1) == u':')
            if (const int port = PortOf(QStringView(field).mid(close + 2)))
                return {field.mid(1, close - 1), port};
        return {field, 0};
    }
    if (field.count(u':') == 1) {
        const qsizetype colon = field.indexOf(u':');
        if (colon > 0 && colon + 1 < field.size())
            if (const int port = PortOf(QStringView(field).mid(colon + 1))) return {field.left(colon), port};
    }
    return {field, 0};
}

QString PlaceText(const QString& host, int port)
{
    const bool v6 = host.contains(u':') && !host.startsWith(u'[');
    return (v6 ? u'[' + host + u']' : host) + u':' + QString::number(port);
}

// A line's place and fingerprint; false for a line that holds no pair.
bool Split(const QByteArray& line, PinPlace& place, QString& fingerprint)
{
    const QStringList parts = QString::fromUtf8(line.trimmed()).split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 2) return false;
    place = PlaceOf(parts[0]);
    fingerprint = parts[1];
    return true;
}

bool SameHost(const PinPlace& place, const QString& host) { return place.host.compare(host, Qt::CaseInsensitive) == 0; }

}  // namespace

CertificatePins::CertificatePins() : path_(UserDataRoot() + QStringLiteral("/trusted_certificates.txt")) {}

// The file's lines as they are on disk, without their line feeds.
bool CertificatePins::Read(QByteArrayList& lines, QString* error) const
{
    QFile file(path_);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("The trusted certificates cannot be read from %1: %2")
                         .arg(QDir::toNativeSeparators(path_), file.errorString());
        return false;
    }
    const QByteArray text = file.readAll();
    if (text.isEmpty()) return true;
    lines = text.split('\n');
    if (text.endsWith('\n')) lines.removeLast();
    return true;
}

QStringList CertificatePins::For(const QString& host, int port, QString* error) const
{
    QByteArrayList lines;
    QStringList forPort, forHost;
    if (!Read(lines, error)) return forPort;
    PinPlace place;
    QString fingerprint;
    for (const QByteArray& line : lines) {
        if (!Split(line, place, fingerprint) || !SameHost(place, host)) continue;
        if (place.port == port)
            forPort << fingerprint;
        else if (place.port == 0)
            forHost << fingerprint;
    }
    return forPort.isEmpty() ? forHost : forPort;
}

bool CertificatePins::Trust(const QString& host, int port, const QString& fingerprint, QString* error) const
{
    QByteArrayList lines;
    if (!Read(lines, error)) return false;
    QByteArray text;
    PinPlace place;
    QString old;
    for (const QByteArray& line : lines)
        if (!Split(line, place, old) || !SameHost(place, host) || place.port != port) text += line + '\n';
    text += PlaceText(host, port).toUtf8() + ' ' + fingerprint.toUtf8() + '\n';

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
