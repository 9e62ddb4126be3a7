#pragma once
// The kept lines of a room or private window shown above its own lines: the
// last ones when the window opens, older ones a page at a time as the user
// scrolls to the top, back to the first line ever kept. They are shown in a
// muted colour and are never taken for new lines: no alert, no mention, not
// kept again.
#include "model/history_store.h"

#include <QObject>

#include <memory>

class LineStore;
class TranscriptView;

// The lines, oldest first, written into store as the transcript shows
// history: one muted line each, with its own time.
void WriteHistoryLines(const QList<HistoryLine>& lines, LineStore& store);

class HistoryPager : public QObject {
    Q_OBJECT
public:
    static constexpr int kPage = 200;

    // Pages buffer's lines from store (read on the UI thread) into view; it
    // belongs to view and goes with it.
    HistoryPager(TranscriptView& view, std::shared_ptr<HistoryStore> store, HistoryBuffer buffer);

    // The last page, put above what the view holds. Returns how many lines.
    int ShowLast();
    // The page before the oldest line shown. Returns how many lines (0 when
    // the first line ever kept is shown, or the view holds all it may).
    int ShowEarlier();
    // True once the first line ever kept is shown, or no more may be shown.
    bool Done() const { return done_; }
    const HistoryBuffer& Buffer() const { return buffer_; }

    // The pager of a view, if it has one.
    static HistoryPager* Of(const TranscriptView& view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CheckTop();
    int Put(const QList<HistoryLine>& lines);

    TranscriptView& view_;
    std::shared_ptr<HistoryStore> store_;
    HistoryBuffer buffer_;
    qint64 oldestId_ = 0;  // of the oldest line shown; 0 before the first page
    bool done_ = false;
    bool pending_ = false;  // a page is due at the next turn of the event loop
};
