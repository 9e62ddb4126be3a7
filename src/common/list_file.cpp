#include "common/list_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Writes every byte or fails. Unbuffered, because a buffered QSaveFile takes
// a write the disk cut short (a full disk, a size limit) for a whole one and
// commits the cut file.
bool WriteWhole(QSaveFile& file, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

QList<ListEntry> ListFile::Entries() const
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ReadListEntries(file.read(kMaxBytes));
}

QStringList ListFile::Names() const
{
    QStringList names;
    for (const ListEntry& entry : Entries()) names << entry.name;
    return names;
}

bool ListFile::Add(const QString& entry, QString* error)
{
    if (const QString fault = ListEntryFault(entry); !fault.isEmpty()) {
        *error = fault;
        return false;
    }
    QByteArray bytes;
    return Load(&bytes, error) && Save(bytes, WithListEntry(bytes, entry), error);
}

bool ListFile::Erase(const QStringList& sections, QString* error)
{
    QByteArray bytes;
    return Load(&bytes, error) && Save(bytes, WithoutListSections(bytes, sections), error);
}

// The whole file as it stands (empty when there is none yet). A file that is
// there but cannot be read whole is not written over.
bool ListFile::Load(QByteArray* bytes, QString* error) const
{
    const QFileInfo info(path_);
    if (!info.exists()) return true;
    if (info.size() > kMaxBytes) {
        *error = QStringLiteral("The list file %1 is larger than %2 MB, so it was left as it is.")
                     .arg(Shown(path_))
                     .arg(kMaxBytes / (1024 * 1024));
        return false;
    }
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The list file %1 could not be read (%2), so it was left as it is.")
                     .arg(Shown(path_), file.errorString());
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("The list file %1 could not be read (%2), so it was left as it is.")
                     .arg(Shown(path_), file.errorString());
        return false;
    }
    return true;
}

bool ListFile::Save(const QByteArray& before, const QByteArray& after, QString* error) const
{
    if (after == before) return true;  // nothing to change: the file stays as it is
    QSaveFile file(path_);
    QString reason;  // taken at once: a later call may put "Unknown error" in its place
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        reason = file.errorString();
    else if (!WriteWhole(file, after))
        reason = file.errorString();
    else if (!file.commit())
        reason = file.errorString();
    else
        return true;
    file.cancelWriting();
    *error = QStringLiteral("The list file %1 could not be written (%2). Nothing was changed.").arg(Shown(path_), reason);
    return false;
}
