#include "chat/nick_completion.h"

#include <algorithm>

QStringList CompletionCandidates(const QString& prefix, const QStringList& nicks,
                                 const QStringList& recentSpeakers)
{
    QStringList spoke;
    QStringList others;
    for (const QString& nick : nicks) {
        if (!nick.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        (recentSpeakers.contains(nick, Qt::CaseInsensitive) ? spoke : others) << nick;
    }
    const auto recency = [&recentSpeakers](const QString& nick) {
        for (int i = 0; i < recentSpeakers.size(); ++i)
            if (recentSpeakers.at(i).compare(nick, Qt::CaseInsensitive) == 0)
                return i;
        return int(recentSpeakers.size());
    };
    std::stable_sort(spoke.begin(), spoke.end(),
                     [&recency](const QString& a, const QString& b) { return recency(a) < recency(b); });
    std::stable_sort(others.begin(), others.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return spoke + others;
}

TabCompleter::Result TabCompleter::Complete(const QString& text, int cursor, const QStringList& nicks,
                                            const QStringList& speakers, const QStringList& commands)
{
    const bool again = !candidates_.isEmpty() && text == lastText_ && cursor == lastCursor_;
    if (again) {
        index_ = (index_ + 1) % int(candidates_.size());
    } else {
        cursor = std::clamp(cursor, 0, int(text.size()));
        int start = cursor;
        while (start > 0 && text.at(start - 1) != u' ')
            --start;
        const QString word = text.mid(start, cursor - start);
        before_ = text.left(start);
        after_ = text.mid(cursor);
        candidates_.clear();
        index_ = 0;
        if (start == 0 && word.startsWith(u'/')) {
            for (const QString& name : commands)
                if (name.startsWith(word.mid(1), Qt::CaseInsensitive))
                    candidates_ << u'/' + name;
            suffix_ = QStringLiteral(" ");
        } else if (!word.isEmpty()) {
            candidates_ = CompletionCandidates(word, nicks, speakers);
            suffix_ = start == 0 ? QStringLiteral(": ") : QStringLiteral(" ");
        }
        if (candidates_.isEmpty())
            return {text, cursor};
    }
    const Result result = Build(index_);
    lastText_ = result.text;
    lastCursor_ = result.cursor;
    return result;
}

TabCompleter::Result TabCompleter::Build(int index) const
{
    // The suffix's space is not doubled when the line already goes on with
    // one; the cursor goes past that space all the same.
    QString completed = before_ + candidates_.at(index) + suffix_;
    if (after_.startsWith(u' '))
        completed.chop(1);
    const int cursor = int(completed.size()) + (after_.startsWith(u' ') ? 1 : 0);
    return {completed + after_, cursor};
}
