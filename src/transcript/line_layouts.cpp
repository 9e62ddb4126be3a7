#include "transcript/line_layouts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <QTextOption>

#include <algorithm>

namespace {

// Enough for every line of a tall screen a few times over. A laid out line
// costs some kilobytes (about 3.5 KB for a short one), forty times what the
// store keeps of it: twenty busy rooms with thousands of laid out lines each
// held more for lines nobody looked at than for all their text.
constexpr int kCachedLines = 512;

const QColor kTimeStampColor(0x80, 0x80, 0x80);
const QColor kMentionBackground(0xFF, 0xF1, 0xA8);
const QColor kMatchBackground(0xFF, 0xC8, 0x50);

}  // namespace

void LineLayouts::SetWidth(int width)
{
    width = std::max(width, 20);
    if (width != width_) {
        width_ = width;
        Clear();
    }
}

void LineLayouts::SetFont(const QFont& font)
{
    if (font != font_) {
        font_ = font;
        Clear();
    }
}

void LineLayouts::SetTimeStamps(TimeStampFormat format)
{
    if (format != timeStamps_) {
        timeStamps_ = format;
        Clear();
    }
}

const LineLayouts::Laid& LineLayouts::Layout(int line)
{
    if (store_.Generation() != generation_) {
        generation_ = store_.Generation();
        Clear();
    }
    const QPair<qint64, int> key(store_.IdOf(line), store_.LengthOf(line));
    const auto found = cache_.constFind(key);
    if (found != cache_.constEnd())
        return *found.value();
    if (cache_.size() >= kCachedLines)
        cache_.clear();
    std::shared_ptr<Laid> made = Make(line);
    const Laid& laid = *made;
    cache_.insert(key, std::move(made));
    return laid;
}

std::unique_ptr<LineLayouts::Laid> LineLayouts::Make(int line) const
{
    auto laid = std::make_unique<Laid>();
    const LineText text = store_.TextOf(line);
    const QString stamp = store_.KindOf(line) == LineStore::Kind::Chat && timeStamps_ != TimeStampFormat::Off
                              ? TimeStampText(store_.TimeOf(line), timeStamps_)
                              : QString();
    laid->prefix = int(stamp.size());
    QString shown = stamp + text.text;
    QList<QTextLayout::FormatRange> formats;
    if (!stamp.isEmpty()) {
        QTextCharFormat grey;
        grey.setForeground(kTimeStampColor);
        formats.append({0, laid->prefix, grey});
    }
    const QFontMetricsF metrics(font_);
    for (std::size_t i = 0; i < text.runs.size(); ++i) {
        const LineRun& run = text.runs[i];
        const int start = laid->prefix + int(run.start);
        const int length = text.RunEnd(i) - int(run.start);
        QTextCharFormat format = CharFormatOf(run.style);
        if (run.IsPicture()) {
            // A space stands for the picture, widened to its width; the
            // picture is drawn over it.
            const QImage& picture = PictureOf(run.Picture());
            shown[start] = u' ';
            format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
            format.setFontLetterSpacing(std::max(0.0, picture.width() - metrics.horizontalAdvance(u' ')));
            laid->pictures.emplace_back(start, run.Picture());
        }
        if (!formats.isEmpty() && !run.IsPicture() && formats.last().start + formats.last().length == start &&
            formats.last().format == format)
            formats.last().length += length;
        else
            formats.append({start, length, format});
    }
    QTextLayout& layout = laid->layout;
    layout.setText(shown);
    layout.setFont(font_);
    layout.setCacheEnabled(true);
    QTextOption option;
    // A line without a space still wraps, at any character.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFormats(formats);
    layout.beginLayout();
    qreal y = 0;
    std::size_t nextPicture = 0;
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
        row.setLineWidth(width_);
        // Room for the tallest picture of the row.
        qreal tallest = 0;
        const int rowEnd = row.textStart() + row.textLength();
        while (nextPicture < laid->pictures.size() && laid->pictures[nextPicture].first < rowEnd)
            tallest = std::max<qreal>(tallest, PictureOf(laid->pictures[nextPicture++].second).height());
        const int extra = int(std::ceil(std::max<qreal>(0, tallest - row.height())));
        row.setPosition(QPointF(0, y + extra));
        laid->lineTops.push_back(extra);
        y += extra + row.height();
    }
    layout.endLayout();
    laid->height = std::max(1, int(std::ceil(y)));
    return laid;
}

int LineLayouts::OffsetAt(int line, QPointF point)
{
    const Laid& laid = Layout(line);
    const QTextLayout& layout = laid.layout;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine row = layout.lineAt(i);
        if (point.y() < row.y() + row.height() || i == layout.lineCount() - 1) {
            const int at = row.xToCursor(point.x(), QTextLine::CursorBetweenCharacters);
            return std::max(at - laid.prefix, 0);
        }
    }
    return 0;
}

int LineLayouts::CharacterAt(int line, QPointF point)
{
    const Laid& laid = Layout(line);
    const QTextLayout& layout = laid.layout;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine row = layout.lineAt(i);
        if (point.y() < row.y() - laid.lineTops[i] || point.y() >= row.y() + row.height())
            continue;
        const int at = row.xToCursor(point.x(), QTextLine::CursorOnCharacter);
        if (at < row.textStart() || at >= row.textStart() + row.textLength())
            return -1;
        // Only on the character itself, not beside the end of the row.
        const qreal left = row.cursorToX(at);
        const qreal right = row.cursorToX(at + 1);
        if (point.x() < std::min(left, right) || point.x() >= std::max(left, right))
            return -1;
        return at < laid.prefix ? -1 : at - laid.prefix;
    }
    return -1;
}

QRectF LineLayouts::CursorRect(int line, int offset)
{
    const Laid& laid = Layout(line);
    const int at = laid.prefix + offset;
    const QTextLine row = laid.layout.lineForTextPosition(at);
    if (!row.isValid())
        return QRectF(0, 0, 1, laid.height);
    return QRectF(row.cursorToX(at), row.y(), 1, row.height());
}

void LineLayouts::Draw(QPainter& painter, int line, QPointF at, const Marks& marks, const QPalette& palette)
{
    const Laid& laid = Layout(line);
    const QRectF box(at.x(), at.y(), width_, laid.height);
    painter.save();
    // Nothing of a line is drawn outside it.
    painter.setClipRect(box, Qt::IntersectClip);
    if (store_.Mentioned(line))
        painter.fillRect(box, kMentionBackground);
    QList<QTextLayout::FormatRange> marked;
    if (marks.matchStart < marks.matchEnd) {
        QTextCharFormat match;
        match.setBackground(kMatchBackground);
        marked.append({laid.prefix + marks.matchStart, marks.matchEnd - marks.matchStart, match});
    }
    if (marks.selectionStart < marks.selectionEnd || marks.selectionPastEnd) {
        QTextCharFormat selected;
        selected.setBackground(palette.brush(QPalette::Highlight));
        selected.setForeground(palette.brush(QPalette::HighlightedText));
        if (marks.selectionPastEnd)
            selected.setProperty(QTextFormat::FullWidthSelection, true);
        marked.append({laid.prefix + marks.selectionStart, marks.selectionEnd - marks.selectionStart, selected});
    }
    laid.layout.draw(&painter, at, marked);
    for (const auto& [position, picture] : laid.pictures) {
        const QTextLine row = laid.layout.lineForTextPosition(position);
        if (!row.isValid())
            continue;
        const QImage& image = PictureOf(picture);
        const qreal x = row.cursorToX(position);
        const qreal bottom = row.y() + row.height();
        painter.drawImage(QPointF(at.x() + x, at.y() + bottom - image.height()), image);
    }
    painter.restore();
}
