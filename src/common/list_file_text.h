#pragma once
// The text of a list file ("fav.ini", "buddies.ini", "ignore.ini"): INI
// sections, one per entry, "[entry]" followed by "Name=entry".
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One entry as read: the section's name and its "Name" value (empty when the
// section has no "Name" key). Files written by the program have the two equal.
struct ListEntry {
    QString section;
    QString name;
    bool operator==(const ListEntry&) const = default;
};

// The longest entry a list file keeps, in UTF-8 bytes: longer than any nick
// or room a server sends in one line.
inline constexpr int kMaxListEntryBytes = 512;

// The readable entries of a list file, in file order.
//
// Reading is lenient with hand-edited files: LF or CR LF line ends, a UTF-8
// byte order mark, blanks around names and keys, "name" in any letter case,
// comments and stray lines are all taken in stride. A section header is the
// text from the line's first "[" to its last "]", so names holding "[", "]",
// "=" or ";" read back whole. Section names compare without regard to letter
// case: a name that comes again is listed once, at its first place, with the
// first "Name" value found under any of its headers. A header without its
// closing "]" begins a section that is not listed (the keys below it belong
// to nothing), and a section whose name or value holds a control character
// or is longer than kMaxListEntryBytes is not listed either. Text is UTF-8;
// bytes that are not well-formed UTF-8 read as Latin-1.
QList<ListEntry> ReadListEntries(const QByteArray& bytes);

// bytes with `entry` written as "[entry]" and "Name=entry". The first section
// of that name (in any letter case) keeps its place and its header and gets
// the new value; further sections of that name go, so the entry occurs once.
// A new entry goes at the end. Every other line stays byte for byte, and new
// lines take the file's line ends (LF for a new file). entry must pass
// ListEntryFault.
QByteArray WithListEntry(const QByteArray& bytes, const QString& entry);

// bytes without every section (header and lines up to the next header) whose
// name is one of `sections`, letter case aside. Everything else stays byte
// for byte.
QByteArray WithoutListSections(const QByteArray& bytes, const QStringList& sections);

// Why `entry` cannot be written to a list file so that it reads back the
// same, as a sentence for a message box; empty when it can. Refused: an empty
// entry, one with a line break or another control character, one that begins
// or ends with a blank, and one longer than kMaxListEntryBytes.
QString ListEntryFault(const QString& entry);
