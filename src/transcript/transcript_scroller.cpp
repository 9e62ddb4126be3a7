#include "transcript/transcript_scroller.h"

#include "transcript/line_layouts.h"
#include "transcript/line_store.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <algorithm>

TranscriptScroller::TranscriptScroller(QAbstractScrollArea& view, const LineStore& store, LineLayouts& layouts)
    : view_(view), store_(store), layouts_(layouts)
{
}

QScrollBar& TranscriptScroller::Bar() const { return *view_.verticalScrollBar(); }

int TranscriptScroller::ViewHeight() const { return std::max(1, view_.viewport()->height()); }

void TranscriptScroller::UserScrolled()
{
    topPixels_ = 0;
    following_ = Bar().value() >= Bar().maximum();
}

int TranscriptScroller::ShownCount() const
{
    const int count = store_.Count();
    return count > 1 && store_.LengthOf(count - 1) == 0 ? count - 1 : count;
}

std::vector<TranscriptScroller::ShownLine> TranscriptScroller::Shown() const
{
    std::vector<ShownLine> rows;
    const int count = ShownCount();
    const int height = ViewHeight();
    if (following_) {
        // From the bottom up; a text shorter than the view starts at its top.
        int y = height;
        for (int line = count - 1; line >= 0 && y > 0; --line) {
            y -= layouts_.Height(line);
            rows.push_back({line, y});
        }
        std::reverse(rows.begin(), rows.end());
        if (!rows.empty() && rows.front().y > 0) {
            const int shift = rows.front().y;
            for (ShownLine& row : rows)
                row.y -= shift;
        }
        return rows;
    }
    int y = -topPixels_;
    for (int line = std::clamp(Bar().value(), 0, count - 1); line < count && y < height; ++line) {
        rows.push_back({line, y});
        y += layouts_.Height(line);
    }
    return rows;
}

int TranscriptScroller::TopLine() const
{
    const std::vector<ShownLine> rows = Shown();
    return rows.empty() ? 0 : rows.front().line;
}

int TranscriptScroller::TopPixels() const
{
    const std::vector<ShownLine> rows = Shown();
    return rows.empty() ? 0 : -rows.front().y;
}

void TranscriptScroller::Update()
{
    const int count = ShownCount();
    const int height = ViewHeight();
    int used = 0;
    int top = count - 1;
    for (; top > 0; --top) {
        used += layouts_.Height(top);
        if (used >= height)
            break;
    }
    QScrollBar& bar = Bar();
    const QSignalBlocker quiet(bar);
    bar.setRange(0, std::max(top, 0));
    bar.setPageStep(std::max(1, int(Shown().size()) - 1));
    if (following_)
        bar.setValue(bar.maximum());
    view_.viewport()->update();
}

int TranscriptScroller::EndPixels() const
{
    int used = 0;
    for (int line = ShownCount() - 1; line >= Bar().maximum() && line >= 0; --line)
        used += layouts_.Height(line);
    return std::max(0, used - ViewHeight());
}

void TranscriptScroller::ScrollToLine(int line, int pixels)
{
    QScrollBar& bar = Bar();
    line = std::clamp(line, 0, std::max(0, ShownCount() - 1));
    // At the end or past it: followed from then on.
    following_ = line > bar.maximum() || (line == bar.maximum() && pixels >= EndPixels());
    topPixels_ = following_ ? 0 : std::max(pixels, 0);
    const QSignalBlocker quiet(bar);
    bar.setValue(std::min(line, bar.maximum()));
    view_.viewport()->update();
}

void TranscriptScroller::ScrollByPixels(int pixels)
{
    int line = TopLine();
    int offset = TopPixels() + pixels;
    while (offset < 0 && line > 0)
        offset += layouts_.Height(--line);
    while (line < ShownCount() - 1 && offset >= layouts_.Height(line))
        offset -= layouts_.Height(line++);
    ScrollToLine(line, std::max(offset, 0));
}

void TranscriptScroller::ScrollByLines(int lines)
{
    ScrollToLine(TopLine() + lines, 0);
}

void TranscriptScroller::ScrollToEnd()
{
    following_ = true;
    topPixels_ = 0;
    Update();
}

void TranscriptScroller::ShowPosition(int position)
{
    const int line = std::min(store_.LineAt(position), ShownCount() - 1);
    const int height = ViewHeight();
    const std::vector<ShownLine> rows = Shown();
    for (const ShownLine& row : rows)
        if (row.line == line && row.y >= 0 && row.y + layouts_.Height(line) <= height)
            return;  // already in full view
    if (rows.empty() || line <= rows.front().line) {
        ScrollToLine(line, 0);
        return;
    }
    // Below: the line at the bottom.
    int used = layouts_.Height(line);
    int top = line;
    while (top > 0 && used + layouts_.Height(top - 1) <= height)
        used += layouts_.Height(--top);
    ScrollToLine(top, 0);
}

void TranscriptScroller::CentreOn(int position)
{
    const int line = std::min(store_.LineAt(position), ShownCount() - 1);
    const int half = (ViewHeight() - layouts_.Height(line)) / 2;
    int used = 0;
    int top = line;
    while (top > 0 && used + layouts_.Height(top - 1) <= half)
        used += layouts_.Height(--top);
    ScrollToLine(top, 0);
}

int TranscriptScroller::PositionAt(QPoint point) const
{
    const std::vector<ShownLine> rows = Shown();
    if (rows.empty())
        return 0;
    if (point.y() < rows.front().y)
        return store_.StartOf(rows.front().line);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ShownLine& row = rows[i];
        if (point.y() < row.y + layouts_.Height(row.line) || i + 1 == rows.size()) {
            const int offset = layouts_.OffsetAt(row.line, QPointF(point.x() - kMargin, point.y() - row.y));
            return store_.StartOf(row.line) + std::min(offset, store_.LengthOf(row.line));
        }
    }
    return store_.Length();
}

QString TranscriptScroller::LinkAt(QPoint point) const
{
    for (const ShownLine& row : Shown()) {
        if (point.y() < row.y || point.y() >= row.y + layouts_.Height(row.line))
            continue;
        const int offset = layouts_.CharacterAt(row.line, QPointF(point.x() - kMargin, point.y() - row.y));
        return offset < 0 ? QString() : store_.TextOf(row.line).LinkAt(offset);
    }
    return QString();
}
