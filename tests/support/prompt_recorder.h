#pragma once
// Answers every message box, confirmation and save dialog of the program at
// once and remembers what was asked; installed for its own lifetime.
#include "common/prompts.h"

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
    bool Confirm(QWidget*, const QString&, const QString& text) override
    {
        confirmAsked << text;
        return confirmAnswer;
    }
    QString SaveFileName(QWidget*, const QString& title, const QString& folder, const QString& filter,
                         const QString& suffix) override
    {
        saveAsked = {title, folder, filter, suffix};
        ++saveCount;
        return saveAnswer;
    }
    QString FolderName(QWidget*, const QString&, const QString&) override { return folderAnswer; }

    QList<Record> records;
    // The questions asked, and the answer every one gets (Yes unless changed).
    QStringList confirmAsked;
    bool confirmAnswer = true;
    // The save dialog's answer (empty: cancelled), and its last question:
    // title, starting folder, filter, default suffix.
    QString saveAnswer;
    QStringList saveAsked;
    int saveCount = 0;
    // The folder dialog's answer (empty: cancelled).
    QString folderAnswer;
    // Runs when a box is shown, before it is recorded as answered.
    std::function<void(const Record&)> onPrompt;

    QStringList Texts() const
    {
        QStringList out;
        for (const auto& r : records) out << r.text;
        return out;
    }
    QStringList Errors() const
    {
        QStringList out;
        for (const auto& r : records)
            if (r.kind == QLatin1String("error")) out << r.text;
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
