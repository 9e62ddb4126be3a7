#include "model/sqlite_db.h"

#include <QFile>

int SqliteDb::Open(const QString& path, int flags)
{
    Close();
    return sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr);
}

void SqliteDb::Close()
{
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

int SqliteDb::Exec(const char* sql)
{
    if (!db_) return SQLITE_MISUSE;
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

qint64 SqliteDb::QueryInt(const char* sql, qint64 fallback)
{
    SqliteStatement query(*this, sql);
    if (query.PrepareCode() != SQLITE_OK || query.Step() != SQLITE_ROW) return fallback;
    return query.Int(0);
}

QString SqliteDb::ErrorText() const
{
    if (!db_) return QStringLiteral("out of memory");
    return QString::fromUtf8(sqlite3_errmsg(db_));
}

SqliteStatement::SqliteStatement(const SqliteDb& db, const char* sql)
{
    prepareCode_ = db.Handle() ? sqlite3_prepare_v2(db.Handle(), sql, -1, &stmt_, nullptr) : SQLITE_MISUSE;
}

void SqliteStatement::BindBlob(int index, const QByteArray& bytes)
{
    // An empty blob is still a blob (zero bytes), never NULL.
    sqlite3_bind_blob64(stmt_, index, bytes.constData() ? bytes.constData() : "", static_cast<sqlite3_uint64>(bytes.size()),
                        SQLITE_TRANSIENT);
}

void SqliteStatement::BindText(int index, const QByteArray& utf8)
{
    sqlite3_bind_text64(stmt_, index, utf8.constData() ? utf8.constData() : "", static_cast<sqlite3_uint64>(utf8.size()),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
}

int SqliteStatement::Step()
{
    if (!stmt_) return prepareCode_ == SQLITE_OK ? SQLITE_MISUSE : prepareCode_;
    return sqlite3_step(stmt_);
}

void SqliteStatement::Reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

QByteArray SqliteStatement::Bytes(int column) const
{
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return data ? QByteArray(static_cast<const char*>(data), size) : QByteArray("");
}
