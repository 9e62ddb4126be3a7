#pragma once
// The frame's history: the writer thread and the recorder of the lines, the
// settings that say what is kept, the server log's lines, and the work on
// the whole file (export, clearing) done on threads of its own.
#include "model/history_recorder.h"
#include "model/history_writer.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class MainWindow;
class QThread;

class HistoryKeeper : public QObject {
    Q_OBJECT
public:
    // The history of frame, in the file at path. The writer starts with the
    // first line to keep, or at once when old lines are to be pruned.
    explicit HistoryKeeper(MainWindow& frame, QString path = HistoryStore::DefaultPath());
    // Writes what waits and waits for the work still running.
    ~HistoryKeeper() override;

    QString Path() const { return path_; }
    HistoryRecorder& Recorder() { return recorder_; }

    // "Keep history" and how long (0: forever), both kept in the settings file.
    bool Keeping() const { return recorder_.Keeping(); }
    void SetKeeping(bool on);
    int KeepDays() const { return keepDays_; }
    void SetKeepDays(int days);
    // "Don't keep history for this window", kept in the settings file.
    bool IsLeftOut(const HistoryBuffer& buffer) const { return recorder_.IsLeftOut(buffer); }
    void SetLeftOut(const HistoryBuffer& buffer, bool leftOut);

    // A login is starting: nothing is kept until it is over. It is over: the
    // lines said from now on are kept under network.
    void LoginStarting() { recorder_.SetNetwork({}); }
    void LoggedIn(const QByteArray& network)
    {
        recorder_.SetNetwork(network);
        lastNetwork_ = network;
    }
    // The network of the last login (empty before the first), which a window's
    // "Don't keep history" entry names also while disconnected.
    const QByteArray& LastNetwork() const { return lastNetwork_; }
    // Lines written to the server log: kept unless a login is under way.
    void KeepLogLines(const QStringList& lines);

    // A room or private window that opens: its last kept lines shown above
    // its own, older ones paged in as the user scrolls up. Nothing when
    // history is off, the window is left out or no network is known yet.
    // Returns how many lines were shown.
    int ShowKeptLines(QWidget* window);

    // Waits until every line handed over so far is on disk (tests, clearing).
    bool Flush(int timeoutMs = 5000);
    // Runs work with a store of its own on a thread of its own; done gets its
    // result on the UI thread. The file is written only there, never here.
    void RunTask(std::function<QString(HistoryStore&)> work, std::function<void(const QString&)> done);

signals:
    // A sentence for the user about the history file (paused, resumed, damaged).
    void notice(const QString& text);

private:
    void AddLine(HistoryLine line);
    void StartWriter();

    MainWindow& frame_;
    const QString path_;
    int keepDays_ = 0;
    QByteArray lastNetwork_;
    HistoryRecorder recorder_;
    std::unique_ptr<HistoryWriter> writer_;
    std::shared_ptr<HistoryStore> reader_;  // the windows' pages, read on the UI thread
    std::vector<QThread*> tasks_;
};
