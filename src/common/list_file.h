#pragma once
// One list file of an account on disk: read, add to, erase from.
#include "common/list_file_text.h"

#include <QString>
#include <QStringList>

// A list file at a path. Reading never fails: a missing or unreadable file
// reads as an empty list. Writing replaces the file in one step (a new file
// renamed over the old), so a crash or a full disk leaves it as it was; a
// write that cannot be done leaves the file untouched and says why.
class ListFile {
public:
    // Files larger than this are read only this far and never rewritten,
    // so that nothing beyond the cut can be lost.
    static constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

    explicit ListFile(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }

    // The readable entries in file order (see ReadListEntries).
    QList<ListEntry> Entries() const;
    // Their "Name" values, in file order.
    QStringList Names() const;

    // Writes entry: section entry with "Name" = entry, overwriting a section
    // of that name. False when it could not be written, with the reason in
    // *error (a sentence for a message box); the file is then as it was.
    bool Add(const QString& entry, QString* error);
    // Erases the named sections (letter case aside) in one write; a file
    // that holds none of them is not touched. False as for Add.
    bool Erase(const QStringList& sections, QString* error);

private:
    bool Load(QByteArray* bytes, QString* error) const;
    bool Save(const QByteArray& before, const QByteArray& after, QString* error) const;

    QString path_;
};
