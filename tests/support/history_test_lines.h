#pragma once
// Lines and raw looks into a history file for the history tests.
#include "model/history_store.h"

#include <QDateTime>

// A line as a test writes it.
inline HistoryLine TestLine(const QByteArray& buffer, qint64 timeMs, const QByteArray& nick, const QByteArray& text,
                            HistoryKind kind = HistoryKind::Message, const QByteArray& network = "net")
{
    HistoryLine line;
    line.buffer = HistoryBuffer{network, buffer};
    line.timeMs = timeMs;
    line.nick = nick;
    line.kind = kind;
    line.text = text;
    return line;
}

// 2024-03-01 12:00:00 UTC plus minutes.
inline qint64 TestTime(int minutes)
{
    return QDateTime(QDate(2024, 3, 1), QTime(12, 0), QTimeZone::utc()).toMSecsSinceEpoch() + qint64(minutes) * 60000;
}

// One number the file answers with, read through a connection of its own.
inline qint64 CountInFile(const QString& path, const char* sql)
{
    SqliteDb db;
    if (db.Open(path, SQLITE_OPEN_READONLY) != SQLITE_OK) return -1;
    return db.QueryInt(sql);
}

// "ok" when SQLite finds the file and its full-text index whole.
inline QByteArray FileCheck(const QString& path)
{
    SqliteDb db;
    if (db.Open(path, SQLITE_OPEN_READWRITE) != SQLITE_OK) return "cannot open";
    SqliteStatement check(db, "PRAGMA integrity_check");
    const QByteArray result = check.Step() == SQLITE_ROW ? check.Bytes(0) : QByteArray("no answer");
    if (result != "ok") return result;
    if (db.Exec("INSERT INTO line_words(line_words, rank) VALUES('integrity-check', 0)") != SQLITE_OK)
        return db.ErrorText().toUtf8();
    return "ok";
}
