// The history store's upkeep: export to plain-text logs, pruning, clearing.
#include "model/history_store.h"

#include "common/wire_text.h"
#include "model/history_text.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>

#include <vector>

namespace {

// Lines are deleted and exported in steps this long, so that a writer in
// another thread or process never waits long for its turn.
constexpr int kStepLines = 2000;

QString OneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

QString LogLine(const HistoryLine& line, const QTimeZone& zone)
{
    const QString time = QDateTime::fromMSecsSinceEpoch(line.timeMs, zone).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString nick = OneLine(HistoryPlainText(line.nick));
    const QString text = OneLine(HistoryPlainText(line.text));
    QString said;
    switch (line.kind) {
    case HistoryKind::Action: said = QStringLiteral("* %1 %2").arg(nick, text); break;
    case HistoryKind::Notice: said = QStringLiteral("-%1- %2").arg(nick, text); break;
    case HistoryKind::Event: said = text; break;
    case HistoryKind::Message:
    default: said = QStringLiteral("<%1> %2").arg(nick, text); break;
    }
    return u'[' + time + QStringLiteral("] ") + said + u'\n';
}

// A name as a file name that stays inside its folder.
QString FileNameOf(const QByteArray& name, const QString& fallback)
{
    QString file = FromWire(std::string(name.constData(), static_cast<std::size_t>(name.size())));
    for (QChar& c : file)
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F) c = u'_';
    if (file.isEmpty()) return fallback;
    if (file.count(u'.') == file.size()) file.prepend(u'_');
    return file;
}

}  // namespace

qint64 HistoryStore::ExportBuffer(const HistoryBuffer& buffer, qint64 fromMs, qint64 toMs, const QString& path,
                                  const QTimeZone& zone)
{
    if (!IsOpen()) return -1;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        lastError_ = file.errorString();
        return -1;
    }
    const qint64 id = BufferId(buffer, false);
    qint64 written = 0;
    qint64 after = 0;
    while (id > 0) {
        SqliteStatement query(db_, "SELECT l.id, l.buffer, l.time, l.nick, l.kind, l.text FROM lines l"
                                   " WHERE l.buffer = ?1 AND l.id > ?2 AND l.time BETWEEN ?3 AND ?4 ORDER BY l.id LIMIT ?5");
        query.BindInt(1, id);
        query.BindInt(2, after);
        query.BindInt(3, fromMs);
        query.BindInt(4, toMs);
        query.BindInt(5, kStepLines);
        const QList<HistoryLine> lines = ReadLines(query);
        for (const HistoryLine& line : lines) file.write(LogLine(line, zone).toUtf8());
        written += lines.size();
        if (lines.size() < kStepLines) break;
        after = lines.last().id;
    }
    if (!file.commit()) {
        lastError_ = file.errorString();
        return -1;
    }
    return written;
}

QStringList HistoryStore::ExportAll(qint64 fromMs, qint64 toMs, const QString& folder, const QTimeZone& zone)
{
    QStringList files;
    for (const HistoryBuffer& buffer : Buffers()) {
        SqliteStatement any(db_, "SELECT 1 FROM lines WHERE buffer = ?1 AND time BETWEEN ?2 AND ?3 LIMIT 1");
        any.BindInt(1, BufferId(buffer, false));
        any.BindInt(2, fromMs);
        any.BindInt(3, toMs);
        if (any.Step() != SQLITE_ROW) continue;
        const QString networkFolder = folder + u'/' + FileNameOf(buffer.network, QStringLiteral("network"));
        QDir().mkpath(networkFolder);
        const QString name = FileNameOf(buffer.name, QStringLiteral("server"));
        QString path = networkFolder + u'/' + name + QStringLiteral(".log");
        for (int n = 2; files.contains(path); ++n) path = networkFolder + u'/' + name + QStringLiteral(" (%1).log").arg(n);
        if (ExportBuffer(buffer, fromMs, toMs, path, zone) >= 0) files.append(path);
    }
    return files;
}

qint64 HistoryStore::DeleteLines(const char* selectIdsAndTexts, const std::function<void(SqliteStatement&)>& bind)
{
    if (!IsOpen() || readOnly_) return -1;
    qint64 deleted = 0;
    for (;;) {
        int code = db_.Exec("BEGIN IMMEDIATE");
        std::vector<std::pair<qint64, QByteArray>> doomed;
        if (code == SQLITE_OK) {
            SqliteStatement select(db_, selectIdsAndTexts);
            bind(select);
            select.BindInt(9, kStepLines);
            while ((code = select.Step()) == SQLITE_ROW) doomed.emplace_back(select.Int(0), select.Bytes(1));
            code = code == SQLITE_DONE ? SQLITE_OK : code;
        }
        // The index keeps no text: a line leaves it by naming the words it was
        // indexed with. Lines after the indexed ones were never in it.
        const qint64 indexed = IndexedUpTo();
        SqliteStatement unindex(db_, "INSERT INTO line_words(line_words, rowid, text) VALUES('delete', ?1, ?2)");
        SqliteStatement remove(db_, "DELETE FROM lines WHERE id = ?1");
        for (const auto& [id, text] : doomed) {
            if (code != SQLITE_OK) break;
            unindex.BindInt(1, id);
            unindex.BindText(2, HistoryPlainUtf8(text));
            remove.BindInt(1, id);
            code = id <= indexed ? unindex.Step() : SQLITE_DONE;
            if (code == SQLITE_DONE) code = remove.Step();
            code = code == SQLITE_DONE ? SQLITE_OK : code;
            unindex.Reset();
            remove.Reset();
        }
        // Line numbers are handed out again after the newest lines were deleted:
        // a new line must not count as indexed.
        if (code == SQLITE_OK)
            code = db_.Exec("UPDATE word_index SET upto = min(upto, (SELECT coalesce(max(id), 0) FROM lines))");
        if (code == SQLITE_OK) code = db_.Exec("COMMIT");
        if (code != SQLITE_OK) {
            lastError_ = db_.ErrorText();
            db_.Exec("ROLLBACK");
            return -1;
        }
        deleted += static_cast<qint64>(doomed.size());
        if (doomed.size() < static_cast<std::size_t>(kStepLines)) return deleted;
    }
}

int HistoryStore::IndexWords(int maxLines)
{
    if (!IsOpen() || readOnly_) return -1;
    int code = db_.Exec("BEGIN IMMEDIATE");
    int indexed = 0;
    if (code == SQLITE_OK) {
        SqliteStatement select(db_, "SELECT id, text FROM lines WHERE id > (SELECT upto FROM word_index) ORDER BY id LIMIT ?1");
        SqliteStatement index(db_, "INSERT INTO line_words(rowid, text) VALUES(?1, ?2)");
        select.BindInt(1, maxLines);
        qint64 last = 0;
        while (code == SQLITE_OK && (code = select.Step()) == SQLITE_ROW) {
            last = select.Int(0);
            index.BindInt(1, last);
            index.BindText(2, HistoryPlainUtf8(select.Bytes(1)));
            code = index.Step();
            index.Reset();
            code = code == SQLITE_DONE ? SQLITE_OK : code;
            ++indexed;
        }
        code = code == SQLITE_DONE ? SQLITE_OK : code;
        if (code == SQLITE_OK && indexed > 0) {
            SqliteStatement mark(db_, "UPDATE word_index SET upto = ?1");
            mark.BindInt(1, last);
            code = mark.Step();
            code = code == SQLITE_DONE ? SQLITE_OK : code;
        }
    }
    if (code == SQLITE_OK) code = db_.Exec("COMMIT");
    if (code == SQLITE_OK) return indexed;
    lastError_ = db_.ErrorText();
    lastErrorCode_ = code;
    db_.Exec("ROLLBACK");
    return -1;
}

qint64 HistoryStore::PruneOlderThan(int days, qint64 nowMs)
{
    const qint64 cutoff = nowMs - qint64(days) * 24 * 60 * 60 * 1000;
    return DeleteLines("SELECT id, text FROM lines WHERE time < ?1 ORDER BY id LIMIT ?9",
                       [cutoff](SqliteStatement& select) { select.BindInt(1, cutoff); });
}

bool HistoryStore::ClearBuffer(const HistoryBuffer& buffer)
{
    if (!IsOpen() || readOnly_) return false;
    const qint64 id = BufferId(buffer, false);
    if (id <= 0) return true;
    return DeleteLines("SELECT id, text FROM lines WHERE buffer = ?1 ORDER BY id LIMIT ?9",
                       [id](SqliteStatement& select) { select.BindInt(1, id); }) >= 0;
}

bool HistoryStore::ClearAll()
{
    if (!IsOpen() || readOnly_) return false;
    // Buffers stay: another connection may hold their numbers.
    int code = db_.Exec("BEGIN IMMEDIATE");
    if (code == SQLITE_OK) code = db_.Exec("INSERT INTO line_words(line_words) VALUES('delete-all'); DELETE FROM lines;"
                                                "UPDATE word_index SET upto = 0;");
    if (code == SQLITE_OK) code = db_.Exec("COMMIT");
    if (code == SQLITE_OK) return true;
    lastError_ = db_.ErrorText();
    db_.Exec("ROLLBACK");
    return false;
}
