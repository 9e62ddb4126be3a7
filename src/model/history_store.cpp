#include "model/history_store.h"

#include "common/user_data_folder.h"
#include "model/history_functions.h"
#include "model/history_text.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The layout this program writes; a file with a larger number was written by
// a later version and is only read.
constexpr qint64 kSchemaVersion = 2;

// The text sits in a contentless full-text table (the words only, not the
// text again), so that a line with its index stays small. Names are kept
// once per buffer; a line refers to its buffer by number. Words are indexed
// after the lines are written, when the writer has time: word_index holds the
// last line number whose words are in line_words (every line up to it is,
// none after it). A file of the first layout had every line indexed.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS buffers(
  id INTEGER PRIMARY KEY, network BLOB NOT NULL, name BLOB NOT NULL, folded BLOB NOT NULL,
  UNIQUE(network, folded));
CREATE TABLE IF NOT EXISTS lines(
  id INTEGER PRIMARY KEY, buffer INTEGER NOT NULL, time INTEGER NOT NULL,
  nick BLOB NOT NULL, kind INTEGER NOT NULL, text BLOB NOT NULL);
CREATE INDEX IF NOT EXISTS lines_by_buffer ON lines(buffer);
CREATE VIRTUAL TABLE IF NOT EXISTS line_words USING fts5(
  text, content='', columnsize=0, tokenize='unicode61 remove_diacritics 2');
CREATE TABLE IF NOT EXISTS word_index(upto INTEGER NOT NULL);
INSERT INTO word_index(upto) SELECT coalesce(max(id), 0) FROM lines WHERE NOT EXISTS (SELECT 1 FROM word_index);
PRAGMA user_version = 2;
)";

bool IsDamage(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

}  // namespace

QString HistoryStore::DefaultPath()
{
    return UserDataRoot() + QStringLiteral("/history.sqlite");
}

HistoryStore::HistoryStore(QString path, int busyTimeoutMs) : path_(std::move(path)), busyTimeoutMs_(busyTimeoutMs) {}

HistoryStore::~HistoryStore() = default;

bool HistoryStore::Open()
{
    openMessage_.clear();
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const int code = OpenFile(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (code == SQLITE_OK) return true;
    if (IsDamage(code)) return ReplaceDamagedFile();
    return false;
}

void HistoryStore::Close()
{
    db_.Close();
    buffersById_.clear();
    bufferIds_.clear();
}

int HistoryStore::OpenFile(int flags)
{
    Close();
    readOnly_ = (flags & SQLITE_OPEN_READONLY) != 0;
    int code = db_.Open(path_, flags);
    if (code == SQLITE_OK) {
        sqlite3_extended_result_codes(db_.Handle(), 1);
        sqlite3_busy_timeout(db_.Handle(), busyTimeoutMs_);
        if (!AddHistoryFunctions(db_.Handle())) code = SQLITE_ERROR;
    }
    // Readers and the writer work side by side in WAL mode; a process that
    // ends mid-write loses only its open transaction.
    if (code == SQLITE_OK && !readOnly_) code = db_.Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    qint64 version = 0;
    if (code == SQLITE_OK) {
        SqliteStatement query(db_, "PRAGMA user_version");
        code = query.PrepareCode();
        if (code == SQLITE_OK) code = query.Step();
        if (code == SQLITE_ROW) {
            version = query.Int(0);
            code = SQLITE_OK;
        }
    }
    if (code == SQLITE_OK && version > kSchemaVersion && !readOnly_) {
        code = OpenFile(SQLITE_OPEN_READONLY);
        if (code == SQLITE_OK)
            openMessage_ = QStringLiteral(
                "The history was kept by a newer version of Talvessa. It can be read and searched, but new lines are not added to it.");
        return code;
    }
    if (code == SQLITE_OK && version < kSchemaVersion && !readOnly_) code = PrepareSchema();
    if (code == SQLITE_OK) code = ProbeFile();
    if (code != SQLITE_OK) {
        lastError_ = db_.ErrorText();
        lastErrorCode_ = code;
        db_.Close();
    }
    return code;
}

int HistoryStore::PrepareSchema()
{
    // Two processes starting at once both get here; the write lock lets one
    // make the tables and the other find them made.
    int code = db_.Exec("BEGIN IMMEDIATE");
    if (code == SQLITE_OK) code = db_.Exec(kSchema);
    if (code == SQLITE_OK) return db_.Exec("COMMIT");
    lastError_ = db_.ErrorText();
    lastErrorCode_ = code;
    db_.Exec("ROLLBACK");
    return code;
}

int HistoryStore::ProbeFile()
{
    // A damaged file shows itself when its tables are read: the schema page,
    // the newest line, and the index's structure.
    const char* probes[] = {
        "SELECT count(*) FROM buffers",
        "SELECT max(id) FROM lines",
        "SELECT count(*) FROM (SELECT id FROM lines ORDER BY id DESC LIMIT 500)",
        "SELECT rowid FROM line_words WHERE line_words MATCH 'talvessa' LIMIT 1",
    };
    for (const char* sql : probes) {
        SqliteStatement probe(db_, sql);
        int code = probe.PrepareCode();
        while (code == SQLITE_OK || code == SQLITE_ROW) code = probe.Step();
        if (code != SQLITE_DONE) return code;
    }
    return SQLITE_OK;
}

bool HistoryStore::ReplaceDamagedFile()
{
    Close();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path_ + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFile::exists(aside); ++n) aside = path_ + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path_, aside)) {
        lastError_ = QStringLiteral("the damaged history file could not be renamed");
        return false;
    }
    // The journal files belong to the damaged file: they go with it.
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString journal = path_ + QLatin1String(suffix);
        if (QFile::exists(journal) && !QFile::rename(journal, aside + QLatin1String(suffix))) QFile::remove(journal);
    }
    if (OpenFile(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) != SQLITE_OK) return false;
    openMessage_ = QStringLiteral("The history file was damaged. It was kept as %1, and a new history was started.")
                       .arg(QDir::toNativeSeparators(aside));
    return true;
}

HistoryWriteResult HistoryStore::Write(QList<HistoryLine>& lines)
{
    if (readOnly_) return HistoryWriteResult::Refused;
    if (!IsOpen()) return HistoryWriteResult::Paused;
    int code = db_.Exec("BEGIN IMMEDIATE");
    if (code == SQLITE_OK) {
        SqliteStatement addLine(db_, "INSERT INTO lines(buffer, time, nick, kind, text) VALUES(?1, ?2, ?3, ?4, ?5)");
        code = addLine.PrepareCode();
        // The words are indexed later (IndexWords), so that a flood costs the
        // writer little. A flood's lines come from one buffer after another: the last one is looked up once.
        const HistoryBuffer* lastBuffer = nullptr;
        qint64 buffer = 0;
        for (HistoryLine& line : lines) {
            if (code != SQLITE_OK) break;
            if (!lastBuffer || !(*lastBuffer == line.buffer)) {
                buffer = BufferId(line.buffer, true, &code);
                lastBuffer = &line.buffer;
            }
            if (buffer <= 0) break;
            addLine.BindInt(1, buffer);
            addLine.BindInt(2, line.timeMs);
            addLine.BindBlob(3, line.nick);
            addLine.BindInt(4, static_cast<int>(line.kind));
            addLine.BindBlob(5, line.text);
            code = addLine.Step();
            addLine.Reset();
            if (code != SQLITE_DONE) break;
            line.id = sqlite3_last_insert_rowid(db_.Handle());
            code = SQLITE_OK;
        }
    }
    if (code == SQLITE_OK) code = db_.Exec("COMMIT");
    if (code == SQLITE_OK) return HistoryWriteResult::Written;

    lastError_ = db_.ErrorText();
    lastErrorCode_ = code;
    db_.Exec("ROLLBACK");
    for (HistoryLine& line : lines) line.id = 0;
    // Buffers made in the transaction are gone with it.
    buffersById_.clear();
    bufferIds_.clear();
    return IsDamage(code) ? HistoryWriteResult::Corrupt : HistoryWriteResult::Paused;
}

qint64 HistoryStore::BufferId(const HistoryBuffer& buffer, bool make, int* code)
{
    const QByteArray folded = HistoryFoldedName(buffer.name);
    const QByteArray key = QByteArray::number(buffer.network.size()) + ':' + buffer.network + folded;
    if (const auto known = bufferIds_.constFind(key); known != bufferIds_.constEnd()) return *known;
    int result = SQLITE_OK;
    qint64 id = 0;
    if (make) {
        SqliteStatement add(db_, "INSERT OR IGNORE INTO buffers(network, name, folded) VALUES(?1, ?2, ?3)");
        add.BindBlob(1, buffer.network);
        add.BindBlob(2, buffer.name);
        add.BindBlob(3, folded);
        result = add.Step();
        result = result == SQLITE_DONE ? SQLITE_OK : result;
    }
    if (result == SQLITE_OK) {
        SqliteStatement find(db_, "SELECT id FROM buffers WHERE network = ?1 AND folded = ?2");
        find.BindBlob(1, buffer.network);
        find.BindBlob(2, folded);
        result = find.Step();
        if (result == SQLITE_ROW) id = find.Int(0);
        result = (result == SQLITE_ROW || result == SQLITE_DONE) ? SQLITE_OK : result;
    }
    if (code) *code = result != SQLITE_OK ? result : (make && id <= 0 ? SQLITE_ERROR : SQLITE_OK);
    if (id > 0) bufferIds_.insert(key, id);
    return id;
}

HistoryBuffer HistoryStore::BufferOf(qint64 id)
{
    if (const auto known = buffersById_.constFind(id); known != buffersById_.constEnd()) return *known;
    SqliteStatement find(db_, "SELECT network, name FROM buffers WHERE id = ?1");
    find.BindInt(1, id);
    HistoryBuffer buffer;
    if (find.Step() == SQLITE_ROW) {
        buffer = HistoryBuffer{find.Bytes(0), find.Bytes(1)};
        buffersById_.insert(id, buffer);
    }
    return buffer;
}
