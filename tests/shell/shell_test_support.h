#pragma once
// Helpers shared by the shell tests: a recorder for message boxes, shrunk
// timings, and a frame pointed at a scripted server.
#include "shell/prompts.h"
#include "shell/timings.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Records every message box instead of showing it.
class PromptRecorder : public Prompts {
public:
    struct Record {
        QString kind;  // "information" or "error"
        QString text;
    };

    PromptRecorder() { SetPrompts(this); }
    ~PromptRecorder() override { SetPrompts(nullptr); }

    void Information(QWidget*, const QString& text) override { Add({QStringLiteral("information"), text}); }
    void Error(QWidget*, const QString& text) override { Add({QStringLiteral("error"), text}); }
    bool Confirm(QWidget*, const QString&, const QString&) override { return true; }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }

    QList<Record> records;
    // Runs when a box is shown, before it is recorded as answered.
    std::function<void(const Record&)> onPrompt;

    QStringList Texts() const
    {
        QStringList out;
        for (const auto& r : records) out << r.text;
        return out;
    }
    QStringList Kinds() const
    {
        QStringList out;
        for (const auto& r : records) out << r.kind;
        return out;
    }

private:
    void Add(const Record& r)
    {
        records << r;
        if (onPrompt) onPrompt(r);
    }
};

// Shrinks the waits for the life of the object.
class ShrunkTimings {
public:
    explicit ShrunkTimings(int greetingMs = 250, int replyMs = 150) : saved_(timing())
    {
        timing().greetingMs = greetingMs;
        timing().replyMs = replyMs;
        timing().splashMs = 50;
        timing().readerStopMs = 1000;
    }
    ~ShrunkTimings() { timing() = saved_; }

private:
    Timings saved_;
};
