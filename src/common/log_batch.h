#pragma once
// Collects the log lines of a burst and hands them over in blocks.
#include <QElapsedTimer>
#include <QStringList>

#include <functional>

// One append per block instead of one per line keeps a flood of server lines
// cheap for a text view. The order of lines is kept; a block is handed over
// when it grows large or old, on Flush, and at destruction.
class LogBatch {
public:
    explicit LogBatch(std::function<void(const QStringList&)> sink) : sink_(std::move(sink)) {}
    ~LogBatch() { Flush(); }
    LogBatch(const LogBatch&) = delete;
    LogBatch& operator=(const LogBatch&) = delete;

    void Add(const QString& line)
    {
        if (pending_.isEmpty()) age_.start();
        pending_ << line;
        if (pending_.size() >= kMaxLines || age_.elapsed() >= kMaxAgeMs) Flush();
    }

    void Flush()
    {
        if (pending_.isEmpty()) return;
        const QStringList lines = std::move(pending_);
        pending_.clear();
        sink_(lines);
    }

private:
    static constexpr int kMaxLines = 2000;
    static constexpr int kMaxAgeMs = 250;
    std::function<void(const QStringList&)> sink_;
    QStringList pending_;
    QElapsedTimer age_;
};
