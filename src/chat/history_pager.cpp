#include "chat/history_pager.h"

#include "chat/chat_colors.h"
#include "transcript/line_store.h"
#include "transcript/transcript_view.h"
#include "common/shown_text.h"
#include "model/history_text.h"

#include <QEvent>
#include <QScrollBar>
#include <QTimer>

namespace {

QString Nick(const QByteArray& nick) { return ShownWireText(nick.toStdString()); }

// The line as the export writes it, without its formatting.
QString ShownLine(const HistoryLine& line)
{
    const QString text = ShownText(HistoryPlainText(line.text));
    switch (line.kind) {
    case HistoryKind::Message:
        return u'<' + Nick(line.nick) + QStringLiteral("> ") + text;
    case HistoryKind::Action:
        return QStringLiteral("* ") + Nick(line.nick) + u' ' + text;
    case HistoryKind::Notice:
        return u'-' + Nick(line.nick) + QStringLiteral("- ") + text;
    case HistoryKind::Event:
        break;
    }
    return text;
}

}  // namespace

void WriteHistoryLines(const QList<HistoryLine>& lines, LineStore& store)
{
    const StyleId muted = InternStyle(RunStyle{chat_colors::kMuted.rgb(), 0, 0});
    for (const HistoryLine& line : lines) {
        store.SetNextLineTime(line.timeMs);
        store.Insert(store.Length(), ShownLine(line) + u'\n', muted, QString());
    }
}

HistoryPager::HistoryPager(TranscriptView& view, std::shared_ptr<HistoryStore> store, HistoryBuffer buffer)
    : QObject(&view), view_(view), store_(std::move(store)), buffer_(std::move(buffer))
{
    setObjectName(QStringLiteral("historyPager"));
    // The view moves its bar quietly for wheel and keys, and paints after
    // every move: the top is looked for after each paint and each drag.
    view.viewport()->installEventFilter(this);
    connect(view.verticalScrollBar(), &QScrollBar::valueChanged, this, &HistoryPager::CheckTop);
}

HistoryPager* HistoryPager::Of(const TranscriptView& view)
{
    return view.findChild<HistoryPager*>(QStringLiteral("historyPager"), Qt::FindDirectChildrenOnly);
}

int HistoryPager::ShowLast()
{
    if (!store_ || oldestId_ != 0) return 0;
    const QList<HistoryLine> lines = store_->LastLines(buffer_, kPage);
    if (lines.size() < kPage) done_ = true;
    return Put(lines);
}

int HistoryPager::ShowEarlier()
{
    pending_ = false;
    if (!store_ || done_) return 0;
    if (oldestId_ == 0) return ShowLast();
    const LineStore& shown = view_.Store();
    // Lines went from the top of the view (it holds all it may): what is
    // above them now is no longer what the next page would follow.
    if ((shown.Count() > 0 && shown.KindOf(0) == LineStore::Kind::DroppedNote) ||
        shown.Count() + kPage > LineStore::kKeptLines) {
        done_ = true;
        return 0;
    }
    const QList<HistoryLine> lines = store_->LinesBefore(buffer_, oldestId_, kPage);
    if (lines.size() < kPage) done_ = true;
    return Put(lines);
}

int HistoryPager::Put(const QList<HistoryLine>& lines)
{
    if (lines.isEmpty()) return 0;
    oldestId_ = lines.front().id;
    LineStore older;
    WriteHistoryLines(lines, older);
    view_.PrependOlder(older);
    return int(lines.size());
}

bool HistoryPager::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) CheckTop();
    return QObject::eventFilter(watched, event);
}

void HistoryPager::CheckTop()
{
    if (done_ || pending_ || oldestId_ == 0) return;
    const TranscriptScroller& scroller = view_.Scroller();
    if (scroller.Following() || scroller.TopLine() != 0 || scroller.TopPixels() != 0) return;
    // Not inside the paint or the bar's signal: the page changes the view.
    pending_ = true;
    QTimer::singleShot(0, this, &HistoryPager::ShowEarlier);
}
