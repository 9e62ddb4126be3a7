// The history store's reading side: a buffer's last lines, scrollback and search.
#include "model/history_store.h"

#include "model/history_text.h"

#include <algorithm>

namespace {

constexpr const char* kLineColumns = "l.id, l.buffer, l.time, l.nick, l.kind, l.text";

// The (start, length) in text of each "start end" byte pair that match_offsets gave for its UTF-8 form.
QList<std::pair<int, int>> MatchesIn(const QString& text, const QByteArray& byteOffsets)
{
    const QByteArray utf8 = text.toUtf8();
    const QList<QByteArray> numbers = byteOffsets.simplified().split(' ');
    QList<std::pair<int, int>> matches;
    for (qsizetype i = 0; i + 1 < numbers.size(); i += 2) {
        const int startByte = numbers[i].toInt();
        const int endByte = numbers[i + 1].toInt();
        if (startByte < 0 || endByte < startByte || endByte > utf8.size()) continue;
        const auto start = static_cast<int>(QString::fromUtf8(utf8.constData(), startByte).size());
        const auto end = static_cast<int>(QString::fromUtf8(utf8.constData(), endByte).size());
        matches.append({start, end - start});
    }
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    return matches;
}

}  // namespace

QList<HistoryLine> HistoryStore::ReadLines(SqliteStatement& query)
{
    QList<HistoryLine> lines;
    while (query.Step() == SQLITE_ROW) {
        HistoryLine line;
        line.id = query.Int(0);
        line.buffer = BufferOf(query.Int(1));
        line.timeMs = query.Int(2);
        line.nick = query.Bytes(3);
        line.kind = static_cast<HistoryKind>(query.Int(4));
        line.text = query.Bytes(5);
        lines.append(std::move(line));
    }
    return lines;
}

QList<HistoryLine> HistoryStore::LastLines(const HistoryBuffer& buffer, int count)
{
    return LinesBefore(buffer, 0, count);
}

QList<HistoryLine> HistoryStore::LinesBefore(const HistoryBuffer& buffer, qint64 beforeId, int count)
{
    const qint64 id = IsOpen() ? BufferId(buffer, false) : 0;
    if (id <= 0 || count <= 0) return {};
    // The buffer's index walks back from the line given, or from its newest line.
    const QByteArray sql = QByteArray("SELECT ") + kLineColumns + " FROM lines l WHERE l.buffer = ?1" +
                           (beforeId > 0 ? " AND l.id < ?2" : "") + " ORDER BY l.id DESC LIMIT ?3";
    SqliteStatement query(db_, sql.constData());
    query.BindInt(1, id);
    if (beforeId > 0) query.BindInt(2, beforeId);
    query.BindInt(3, count);
    QList<HistoryLine> lines = ReadLines(query);
    std::reverse(lines.begin(), lines.end());
    return lines;
}

qint64 HistoryStore::IndexedUpTo()
{
    // A file without the mark (a later layout) counts as indexed throughout.
    SqliteStatement query(db_, "SELECT upto FROM word_index");
    return query.Step() == SQLITE_ROW ? query.Int(0) : std::numeric_limits<qint64>::max();
}

bool HistoryStore::CopyUnindexedWords(qint64 indexedUpTo)
{
    // The newest lines whose words the writer has not indexed yet go into a
    // small index of this connection's own, built afresh for each search.
    int code = db_.Exec("CREATE VIRTUAL TABLE IF NOT EXISTS temp.tail_words USING fts5("
                        "text, content='', columnsize=0, tokenize='unicode61 remove_diacritics 2');"
                        "INSERT INTO temp.tail_words(tail_words) VALUES('delete-all');");
    SqliteStatement select(db_, "SELECT id, text FROM lines WHERE id > ?1 ORDER BY id");
    SqliteStatement index(db_, "INSERT INTO temp.tail_words(rowid, text) VALUES(?1, ?2)");
    select.BindInt(1, indexedUpTo);
    while (code == SQLITE_OK && select.Step() == SQLITE_ROW) {
        index.BindInt(1, select.Int(0));
        index.BindText(2, HistoryPlainUtf8(select.Bytes(1)));
        code = index.Step() == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
        index.Reset();
    }
    return code == SQLITE_OK;
}

QList<HistoryHit> HistoryStore::Search(const HistorySearch& search)
{
    if (!IsOpen() || search.pageSize <= 0) return {};
    const QString expression = HistoryMatchExpression(search.words);
    // Typed text without a single word finds nothing rather than everything.
    if (expression.isEmpty() && !search.words.trimmed().isEmpty()) return {};
    qint64 buffer = 0;
    if (search.buffer) {
        buffer = BufferId(*search.buffer, false);
        if (buffer <= 0) return {};
    }
    if (expression.isEmpty()) return SearchIn(search, expression, buffer, nullptr, search.beforeId);

    // The lines not indexed yet are the newest: they are searched first, the
    // index after them, both in one snapshot of the file.
    db_.Exec("BEGIN");
    const qint64 indexed = IndexedUpTo();
    QList<HistoryHit> hits;
    qint64 below = search.beforeId;
    if (indexed < std::numeric_limits<qint64>::max() && (below <= 0 || below > indexed + 1)) {
        if (CopyUnindexedWords(indexed)) hits = SearchIn(search, expression, buffer, "tail_words", below);
        below = indexed + 1;
    }
    if (hits.size() < search.pageSize) {
        HistorySearch rest = search;
        rest.pageSize = search.pageSize - static_cast<int>(hits.size());
        hits += SearchIn(rest, expression, buffer, "line_words", below);
    }
    db_.Exec("COMMIT");
    return hits;
}

QList<HistoryHit> HistoryStore::SearchIn(const HistorySearch& search, const QString& expression, qint64 buffer,
                                         const char* wordTable, qint64 belowId)
{
    // Newest first is the order of the line numbers, which the full-text
    // index walks backwards without sorting; the filters are checked per line.
    const bool words = wordTable != nullptr;
    const QByteArray table(words ? wordTable : "");
    const QByteArray lineId = words ? table + ".rowid" : "l.id";
    QByteArray sql = QByteArray("SELECT ") + kLineColumns;
    if (words)
        sql += ", match_offsets(" + table + ", plain_text(l.text)) FROM " + table + " JOIN lines l ON l.id = " + lineId +
               " WHERE " + table + " MATCH ?1";
    else
        sql += " FROM lines l WHERE 1";
    if (buffer > 0) sql += words ? " AND +l.buffer = ?2" : " AND l.buffer = ?2";
    else if (!search.network.isEmpty()) sql += " AND l.buffer IN (SELECT id FROM buffers WHERE network = ?3)";
    if (!search.nick.isEmpty()) sql += " AND lower(l.nick) = ?4";
    sql += " AND l.time BETWEEN ?5 AND ?6";
    if (belowId > 0) sql += " AND " + lineId + " < ?7";
    sql += " ORDER BY " + lineId + " DESC LIMIT ?8";

    SqliteStatement query(db_, sql.constData());
    if (words) query.BindText(1, expression.toUtf8());
    if (buffer > 0) query.BindInt(2, buffer);
    if (!search.network.isEmpty()) query.BindBlob(3, search.network);
    if (!search.nick.isEmpty()) query.BindText(4, HistoryFoldedName(search.nick));
    query.BindInt(5, search.fromMs);
    query.BindInt(6, search.toMs);
    if (belowId > 0) query.BindInt(7, belowId);
    query.BindInt(8, search.pageSize);

    QList<HistoryHit> hits;
    while (query.Step() == SQLITE_ROW) {
        HistoryHit hit;
        hit.line.id = query.Int(0);
        hit.line.buffer = BufferOf(query.Int(1));
        hit.line.timeMs = query.Int(2);
        hit.line.nick = query.Bytes(3);
        hit.line.kind = static_cast<HistoryKind>(query.Int(4));
        hit.line.text = query.Bytes(5);
        hit.plainText = HistoryPlainText(hit.line.text);
        if (words) hit.matches = MatchesIn(hit.plainText, query.Bytes(6));
        hits.append(std::move(hit));
    }
    return hits;
}

QList<HistoryBuffer> HistoryStore::Buffers()
{
    QList<HistoryBuffer> buffers;
    if (!IsOpen()) return buffers;
    SqliteStatement query(
        db_, "SELECT network, name FROM buffers b WHERE EXISTS (SELECT 1 FROM lines WHERE buffer = b.id) ORDER BY id");
    while (query.Step() == SQLITE_ROW) buffers.append(HistoryBuffer{query.Bytes(0), query.Bytes(1)});
    return buffers;
}
