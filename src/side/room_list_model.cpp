#include "side/room_list_model.h"

#include <algorithm>

namespace {

const QString kHeaders[] = {QStringLiteral("Room Name"), QStringLiteral("Topic"), QStringLiteral("Chatters")};

char16_t FoldAtoZ(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

int CompareText(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = FoldAtoZ(a.at(i).unicode());
        const char16_t y = FoldAtoZ(b.at(i).unicode());
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

qint64 CountOf(const QString& chatters)
{
    bool ok = false;
    const qint64 n = chatters.trimmed().toLongLong(&ok);
    return ok && n >= 0 ? n : -1;
}

}  // namespace

int RoomListCompare(const RoomRow& a, const RoomRow& b, int column)
{
    switch (column) {
    case 1:
        return CompareText(a.topic, b.topic);
    case 2:
        if (a.count >= 0 && b.count >= 0) return a.count == b.count ? 0 : (a.count < b.count ? -1 : 1);
        if (a.count >= 0 || b.count >= 0) return a.count >= 0 ? -1 : 1;
        return CompareText(a.chatters, b.chatters);
    default:
        return CompareText(a.name, b.name);
    }
}

RoomListModel::RoomListModel(QObject* parent) : QAbstractTableModel(parent)
{
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(0);
    connect(&flushTimer_, &QTimer::timeout, this, &RoomListModel::Flush);
}

int RoomListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int RoomListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant RoomListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(rows_.size())) return {};
    const RoomRow& row = rows_[std::size_t(index.row())];
    switch (index.column()) {
    case 0: return row.name;
    case 1: return row.topic;
    default: return row.chatters;
    }
}

QVariant RoomListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 2) return {};
    return kHeaders[section];
}

void RoomListModel::Append(RoomRow row)
{
    row.count = CountOf(row.chatters);
    pending_.push_back(std::move(row));
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void RoomListModel::Flush()
{
    flushTimer_.stop();
    if (pending_.empty()) return;
    const int first = int(rows_.size());
    beginInsertRows(QModelIndex(), first, first + int(pending_.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
    pending_.clear();
    endInsertRows();
}

void RoomListModel::Clear()
{
    flushTimer_.stop();
    pending_.clear();
    if (rows_.empty()) return;
    beginResetModel();
    std::vector<RoomRow>().swap(rows_);
    endResetModel();
}

void RoomListModel::SortBy(int column)
{
    // A reset rather than a moved layout: the selection named a row by its
    // place, and after a sort that place holds another room.
    beginResetModel();
    rows_.insert(rows_.end(), std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
    pending_.clear();
    flushTimer_.stop();
    std::stable_sort(rows_.begin(), rows_.end(),
                     [column](const RoomRow& a, const RoomRow& b) { return RoomListCompare(a, b, column) < 0; });
    endResetModel();
}

const RoomRow& RoomListModel::Row(int i) const
{
    const std::size_t at = std::size_t(i);
    return at < rows_.size() ? rows_[at] : pending_[at - rows_.size()];
}
