#pragma once
// A thin layer over libsqlite3: a connection and a prepared statement that
// clean up after themselves, with blobs and text as QByteArray.
#include <QByteArray>
#include <QString>

#include <sqlite3.h>

// One SQLite connection, closed with the object.
class SqliteDb {
public:
    SqliteDb() = default;
    ~SqliteDb() { Close(); }
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens path with the sqlite3_open_v2 flags; returns the SQLite result code.
    // The connection stays usable for its error message even when this fails.
    int Open(const QString& path, int flags);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    sqlite3* Handle() const { return db_; }

    // Runs statements that return no rows; returns the SQLite result code.
    int Exec(const char* sql);
    // The first column of the first row of a one-value query, or fallback.
    qint64 QueryInt(const char* sql, qint64 fallback = -1);
    // The connection's last error, as SQLite words it.
    QString ErrorText() const;

private:
    sqlite3* db_ = nullptr;
};

// One prepared statement, finalized with the object. Columns and
// parameters count as SQLite counts them (columns from 0, parameters from 1).
class SqliteStatement {
public:
    SqliteStatement(const SqliteDb& db, const char* sql);
    ~SqliteStatement() { sqlite3_finalize(stmt_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // The result of preparing: SQLITE_OK when the statement can run.
    int PrepareCode() const { return prepareCode_; }

    void BindInt(int index, qint64 value) { sqlite3_bind_int64(stmt_, index, value); }
    void BindBlob(int index, const QByteArray& bytes);
    void BindText(int index, const QByteArray& utf8);
    void BindNull(int index) { sqlite3_bind_null(stmt_, index); }

    // SQLITE_ROW while rows come, SQLITE_DONE at the end, or an error code.
    int Step();
    // Ready to run again with new parameters.
    void Reset();

    qint64 Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    QByteArray Bytes(int column) const;
    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int prepareCode_ = SQLITE_ERROR;
};
