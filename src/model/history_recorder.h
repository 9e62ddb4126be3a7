#pragma once
// The chat lines on their way to the history file: which network they are
// said on, whether history is kept at all, and the windows the user left out.
#include "model/history_store.h"

#include <QSet>
#include <QStringList>

#include <functional>

// Takes the lines the windows show, on the UI thread, and hands the ones to
// keep to a sink (the history writer's cheap enqueue). Nothing is kept while
// no network is set: the program sets it once a login is over, so the lines
// of the login exchange never reach the file.
class HistoryRecorder {
public:
    using Sink = std::function<void(HistoryLine line)>;
    explicit HistoryRecorder(Sink sink);
    ~HistoryRecorder();
    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    // The recorder the windows' lines go to; null when there is none (a
    // window on its own, most tests). The newest recorder made is current
    // until it goes.
    static HistoryRecorder* Current();

    // The network the lines are said on; empty while logging in or never connected.
    void SetNetwork(const QByteArray& network) { network_ = network; }
    const QByteArray& Network() const { return network_; }
    // Off: no line is kept at all.
    void SetKeeping(bool on) { keeping_ = on; }
    bool Keeping() const { return keeping_; }

    // "Don't keep history for this window": the buffer's lines are not kept.
    void SetLeftOut(const HistoryBuffer& buffer, bool leftOut);
    bool IsLeftOut(const HistoryBuffer& buffer) const;
    // The buffers left out, as text for the settings file, and back.
    QStringList LeftOutEntries() const;
    void SetLeftOutEntries(const QStringList& entries);

    // A line said in the buffer named name (a room, a private partner, or an
    // empty name for the server log) of the current network, now.
    void Keep(const QByteArray& name, const QByteArray& nick, HistoryKind kind, const QByteArray& text);
    void Keep(const QByteArray& name, const QByteArray& nick, HistoryKind kind, const QByteArray& text, qint64 timeMs);

private:
    static QString KeyOf(const HistoryBuffer& buffer);

    Sink sink_;
    QByteArray network_;
    bool keeping_ = true;
    QSet<QString> leftOut_;
    HistoryRecorder* before_ = nullptr;  // the recorder that was current before this one
};

// Hands a line to the current recorder, if there is one.
void KeepHistoryLine(const QByteArray& name, const QByteArray& nick, HistoryKind kind, const QByteArray& text);
