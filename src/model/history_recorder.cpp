#include "model/history_recorder.h"

#include "model/history_text.h"

#include <QDateTime>

namespace {

HistoryRecorder*& CurrentRecorder()
{
    static HistoryRecorder* current = nullptr;
    return current;
}

}  // namespace

HistoryRecorder::HistoryRecorder(Sink sink) : sink_(std::move(sink)), before_(CurrentRecorder())
{
    CurrentRecorder() = this;
}

HistoryRecorder::~HistoryRecorder()
{
    if (CurrentRecorder() == this) CurrentRecorder() = before_;
}

HistoryRecorder* HistoryRecorder::Current() { return CurrentRecorder(); }

QString HistoryRecorder::KeyOf(const HistoryBuffer& buffer)
{
    // Each name percent-encoded, so that any bytes survive the settings file
    // and the space between them stays the only one.
    return QString::fromLatin1(buffer.network.toPercentEncoding() + ' ' +
                               HistoryFoldedName(buffer.name).toPercentEncoding());
}

void HistoryRecorder::SetLeftOut(const HistoryBuffer& buffer, bool leftOut)
{
    if (leftOut)
        leftOut_.insert(KeyOf(buffer));
    else
        leftOut_.remove(KeyOf(buffer));
}

bool HistoryRecorder::IsLeftOut(const HistoryBuffer& buffer) const
{
    return !leftOut_.isEmpty() && leftOut_.contains(KeyOf(buffer));
}

QStringList HistoryRecorder::LeftOutEntries() const
{
    QStringList entries(leftOut_.begin(), leftOut_.end());
    entries.sort();
    return entries;
}

void HistoryRecorder::SetLeftOutEntries(const QStringList& entries)
{
    leftOut_.clear();
    for (const QString& entry : entries)
        if (entry.count(u' ') == 1) leftOut_.insert(entry);
}

void HistoryRecorder::Keep(const QByteArray& name, const QByteArray& nick, HistoryKind kind, const QByteArray& text)
{
    if (!keeping_ || network_.isEmpty()) return;
    Keep(name, nick, kind, text, QDateTime::currentMSecsSinceEpoch());
}

void HistoryRecorder::Keep(const QByteArray& name, const QByteArray& nick, HistoryKind kind, const QByteArray& text,
                           qint64 timeMs)
{
    if (!keeping_ || network_.isEmpty()) return;
    HistoryLine line;
    line.buffer = HistoryBuffer{network_, name};
    if (IsLeftOut(line.buffer)) return;
    line.timeMs = timeMs;
    line.nick = nick;
    line.kind = kind;
    line.text = text;
    sink_(std::move(line));
}

void KeepHistoryLine(const QByteArray& name, const QByteArray& nick, HistoryKind kind, const QByteArray& text)
{
    if (HistoryRecorder* recorder = HistoryRecorder::Current()) recorder->Keep(name, nick, kind, text);
}
