#pragma once

#include <QString>
#include <QStringList>

// The candidates for completing prefix from nicks, letter case not counting:
// the nicks in recentSpeakers first (most recent first), then the others in
// alphabetical order.
QStringList CompletionCandidates(const QString& prefix, const QStringList& nicks,
                                 const QStringList& recentSpeakers);

// Tab completion in one input line: the word before the cursor becomes the
// first candidate, and each further Tab on the unchanged line the next one,
// round and round. A nick completed at the start of the line gets ": "
// after it, elsewhere a space; a word starting with "/" at the start of the
// line completes a command name.
class TabCompleter {
public:
    struct Result {
        QString text;
        int cursor = 0;
    };
    // The line after one Tab; the same text when nothing matches. nicks
    // and speakers are asked only when a new completion starts.
    Result Complete(const QString& text, int cursor, const QStringList& nicks, const QStringList& speakers,
                    const QStringList& commands);

private:
    Result Build(int index) const;

    QString before_;  // the line before the word being completed
    QString after_;   // the line after the cursor
    QStringList candidates_;
    QString suffix_;
    int index_ = -1;
    QString lastText_;
    int lastCursor_ = -1;
};
