#pragma once
// The rows of the room list: one per room of the server's room list reply.
#include <QAbstractTableModel>
#include <QString>
#include <QTimer>

#include <string>
#include <vector>

// One room as the server listed it. The texts are kept as the reply gave
// them (the name and the count end in a space), cleaned to be shown; the
// name's bytes are kept beside them, so joining from the list writes the
// name exactly as it came.
struct RoomRow {
    QString name;      // "Room Name", without "#"
    QString topic;     // "Topic", formatting codes removed
    QString chatters;  // "Chatters", the user count text
    // The count as a number for sorting, -1 when the text is none; worked
    // out once, when the row is added.
    qint64 count = -1;
    std::string wireName;  // the name's bytes as received (empty: name as UTF-8)
};

// How two rows order under a sort column (0 name, 1 topic, 2 chatters):
// negative when a comes first. Names and topics compare without regard to the
// case of A to Z, otherwise by character code; chatters compare as numbers
// (3 before 20 before 100), and a count that is no number after every number.
int RoomListCompare(const RoomRow& a, const RoomRow& b, int column);

// The list's model. Rows arrive in bursts of thousands: they are shown in
// blocks, one insertion per turn of the event loop, not one per row.
class RoomListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RoomListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Appends a row; it is shown at the next turn of the event loop (or at
    // Flush) after the rows that came before it.
    void Append(RoomRow row);
    // Shows every appended row now.
    void Flush();
    // Empties the list, the rows not yet shown included.
    void Clear();
    // Orders the rows once, ascending, stable (equal rows keep their order).
    void SortBy(int column);

    // Every row, the ones not yet shown included, in list order.
    int Count() const { return int(rows_.size() + pending_.size()); }
    const RoomRow& Row(int i) const;

private:
    std::vector<RoomRow> rows_;
    std::vector<RoomRow> pending_;
    QTimer flushTimer_;
};
