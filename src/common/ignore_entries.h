#pragma once
// The ignore list as the program holds it while connected.
#include <QHash>
#include <QString>
#include <QStringList>

// The ignore list in memory: its entries in order (a nick, or "@nick" for
// one ignored while a room operator; an entry may occur more than once),
// with a count of each entry beside them, so that asking about a nick costs
// the same for five entries as for five thousand. The frame holds one under
// its lock; nothing here locks.
class IgnoreEntries {
public:
    IgnoreEntries() = default;
    explicit IgnoreEntries(const QStringList& entries) { Reset(entries); }

    const QStringList& Entries() const { return entries_; }
    bool IsEmpty() const { return entries_.isEmpty(); }

    // True when some entry is nick or "@" + nick, letter case counting.
    bool IsIgnored(const QString& nick) const;
    // True when some entry is exactly entry.
    bool Contains(const QString& entry) const { return counts_.contains(entry); }

    void Append(const QString& entry);
    // Removes the first entry equal to entry; false when there is none.
    bool RemoveOne(const QString& entry);
    // Removes every entry equal to entry, letter case aside; how many went.
    int RemoveEvery(const QString& entry);
    // The entries become exactly these, in this order.
    void Reset(const QStringList& entries);
    void Clear();

private:
    QStringList entries_;
    QHash<QString, int> counts_;
};
