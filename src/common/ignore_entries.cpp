#include "common/ignore_entries.h"

#include <algorithm>

bool IgnoreEntries::IsIgnored(const QString& nick) const
{
    if (counts_.isEmpty()) return false;
    return counts_.contains(nick) || counts_.contains(u'@' + nick);
}

void IgnoreEntries::Append(const QString& entry)
{
    entries_.append(entry);
    ++counts_[entry];
}

bool IgnoreEntries::RemoveOne(const QString& entry)
{
    const auto count = counts_.find(entry);
    if (count == counts_.end()) return false;
    entries_.removeOne(entry);
    if (--*count == 0) counts_.erase(count);
    return true;
}

int IgnoreEntries::RemoveEvery(const QString& entry)
{
    const auto equal = [&entry](const QString& e) { return e.compare(entry, Qt::CaseInsensitive) == 0; };
    if (std::none_of(entries_.cbegin(), entries_.cend(), equal)) return 0;
    for (const QString& e : entries_)
        if (equal(e) && --counts_[e] == 0) counts_.remove(e);
    return int(entries_.removeIf(equal));
}

void IgnoreEntries::Reset(const QStringList& entries)
{
    entries_ = entries;
    counts_.clear();
    counts_.reserve(entries.size());
    for (const QString& entry : entries) ++counts_[entry];
}

void IgnoreEntries::Clear()
{
    entries_.clear();
    counts_.clear();
}
