#pragma once
// The history database: every chat line of every network kept on disk in one
// SQLite file, with full-text search, export, pruning and clearing.
//
// A HistoryStore is one connection to the file and belongs to the thread that
// uses it; any number of stores (in any number of processes) may share the
// file. Lines are written by HistoryWriter on its own thread; windows read
// through a store of their own.
#include "model/sqlite_db.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QTimeZone>

#include <functional>
#include <limits>
#include <optional>
#include <utility>

// What a history line is; the export writes each kind its own way.
enum class HistoryKind : int {
    Message = 0,  // <nick> text
    Action = 1,   // * nick text
    Notice = 2,   // -nick- text
    Event = 3,    // the text alone: joins, parts, modes, topics, server lines
};

// Where a line was said: the network and the room, the private partner, or
// (an empty name) the server log. Names are kept as the bytes they came as;
// a name matches another that differs only in ASCII letter case.
struct HistoryBuffer {
    QByteArray network;
    QByteArray name;
    bool operator==(const HistoryBuffer&) const = default;
};

// One chat line as kept on disk.
struct HistoryLine {
    qint64 id = 0;  // given by the store when the line is written; a later line has a larger id
    HistoryBuffer buffer;
    qint64 timeMs = 0;  // milliseconds since the epoch
    QByteArray nick;
    HistoryKind kind = HistoryKind::Message;
    QByteArray text;  // the bytes of the line, formatting codes included
};

// What to look for, and which page of the results.
struct HistorySearch {
    QString words;                        // as typed: words, "a phrase", prefix*; empty: every line
    std::optional<HistoryBuffer> buffer;  // only this buffer
    QByteArray network;                   // only this network (when no buffer is given)
    QByteArray nick;                      // only lines by this nick (ASCII case ignored)
    qint64 fromMs = std::numeric_limits<qint64>::min();  // only lines at or after
    qint64 toMs = std::numeric_limits<qint64>::max();    // only lines at or before
    qint64 beforeId = 0;                  // the next page: lines older than this one (0: the newest)
    int pageSize = 50;
};

// One line found by a search.
struct HistoryHit {
    HistoryLine line;
    QString plainText;                       // the text without formatting codes
    QList<std::pair<int, int>> matches;      // (start, length) of each match in plainText
};

// How a write went.
enum class HistoryWriteResult {
    Written,    // every line is on disk
    Paused,     // nothing was written, but a later try may succeed (locked, read-only, disk full)
    Corrupt,    // the file is damaged: move it aside (ReplaceDamagedFile) and try again
    Refused,    // the file belongs to a later version of the program and is never written
};

class HistoryStore {
public:
    // The history file in the user data folder.
    static QString DefaultPath();

    // A store for the file at path; nothing is opened yet. A writer waits at
    // most busyTimeoutMs for another connection's write to end.
    explicit HistoryStore(QString path = DefaultPath(), int busyTimeoutMs = 5000);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the file, making it when it is missing. A damaged file is renamed
    // aside and a new one started; a file from a later version is opened
    // read-only. Either way OpenMessage() then holds a sentence for the user.
    // False when the file cannot be opened at all (LastError() says why).
    bool Open();
    void Close();
    bool IsOpen() const { return db_.IsOpen(); }
    // True when lines are never written to this file (a later version's file).
    bool IsReadOnly() const { return readOnly_; }
    // What the user should be told about the last Open(); empty when all went well.
    QString OpenMessage() const { return openMessage_; }
    // The last failure, as SQLite words it.
    QString LastError() const { return lastError_; }
    // The SQLite result code of the last failed open or write.
    int LastErrorCode() const { return lastErrorCode_; }
    QString Path() const { return path_; }

    // Writes the lines in one transaction, all or none, and sets their ids.
    HistoryWriteResult Write(QList<HistoryLine>& lines);
    // Indexes the words of up to maxLines written lines not yet indexed, in
    // one transaction. Returns how many, 0 when none wait, -1 on failure.
    int IndexWords(int maxLines);
    // Renames the damaged file aside and starts a new one; sets OpenMessage().
    bool ReplaceDamagedFile();

    // The last count lines of a buffer, oldest first.
    QList<HistoryLine> LastLines(const HistoryBuffer& buffer, int count = 200);
    // The count lines of a buffer just before the line beforeId, oldest first (scrollback).
    QList<HistoryLine> LinesBefore(const HistoryBuffer& buffer, qint64 beforeId, int count = 200);
    // One page of lines that match, newest first. The next page: beforeId = the last hit's id.
    QList<HistoryHit> Search(const HistorySearch& search);
    // Every buffer that has lines, in the order they first appeared.
    QList<HistoryBuffer> Buffers();

    // Writes the buffer's lines from fromMs to toMs (inclusive) to a plain-text
    // log at path, one "[YYYY-MM-DD HH:MM:SS] <nick> text" line each, UTF-8,
    // formatting removed, times in zone. Returns the number of lines, or -1.
    qint64 ExportBuffer(const HistoryBuffer& buffer, qint64 fromMs, qint64 toMs, const QString& path,
                        const QTimeZone& zone = QTimeZone::systemTimeZone());
    // One log per buffer with lines in the range, as folder/<network>/<name>.log
    // ("server.log" for the server log). Returns the files written.
    QStringList ExportAll(qint64 fromMs, qint64 toMs, const QString& folder,
                          const QTimeZone& zone = QTimeZone::systemTimeZone());

    // Deletes every line older than days days before nowMs; returns how many, or -1.
    qint64 PruneOlderThan(int days, qint64 nowMs);
    // Deletes every line of every buffer.
    bool ClearAll();
    // Deletes every line of one buffer.
    bool ClearBuffer(const HistoryBuffer& buffer);

private:
    int OpenFile(int flags);
    int PrepareSchema();
    int ProbeFile();
    qint64 BufferId(const HistoryBuffer& buffer, bool make, int* code = nullptr);
    HistoryBuffer BufferOf(qint64 id);
    QList<HistoryLine> ReadLines(SqliteStatement& query);
    qint64 IndexedUpTo();
    QList<HistoryHit> SearchIn(const HistorySearch& search, const QString& expression, qint64 buffer,
                               const char* wordTable, qint64 belowId);
    bool CopyUnindexedWords(qint64 indexedUpTo);
    qint64 DeleteLines(const char* selectIdsAndTexts, const std::function<void(SqliteStatement&)>& bind);

    QString path_;
    int busyTimeoutMs_;
    SqliteDb db_;
    bool readOnly_ = false;
    QString openMessage_;
    QString lastError_;
    int lastErrorCode_ = SQLITE_OK;
    QHash<qint64, HistoryBuffer> buffersById_;
    QHash<QByteArray, qint64> bufferIds_;
};
