#include "transcript/line_store.h"

#include <QDateTime>

#include <algorithm>
#include <vector>

const QString LineStore::kDroppedNote = QStringLiteral("(Older lines of this chat were dropped.)");
const QString LineStore::kEarlierMark = QStringLiteral("\u2014 earlier \u2014");

namespace {

// The text split at its line breaks, each piece in one look.
std::vector<LineText> Pieces(const QString& text, StyleId style, const QString& link)
{
    std::vector<LineText> pieces(1);
    qsizetype from = 0;
    for (;;) {
        const qsizetype cut = text.indexOf(u'\n', from);
        pieces.back().Append(text.mid(from, cut < 0 ? -1 : cut - from), style, link);
        if (cut < 0)
            break;
        pieces.emplace_back();
        from = cut + 1;
    }
    return pieces;
}

}  // namespace

LineStore::LineStore() = default;

int LineStore::StartOf(int line) const
{
    if (line >= int(lines_.size()))
        return int(openStart_ - Base());
    return int(lines_[std::max(line, 0)].start - Base());
}

int LineStore::LengthOf(int line) const
{
    return line >= int(lines_.size()) ? int(open_.text.size()) : int(lines_[std::max(line, 0)].length);
}

int LineStore::LineAt(int position) const
{
    const qint64 at = Base() + std::max(position, 0);
    if (at >= openStart_)
        return int(lines_.size());
    const auto after = std::upper_bound(lines_.begin(), lines_.end(), at,
                                        [](qint64 value, const Line& line) { return value < line.start; });
    return std::max(0, int(after - lines_.begin()) - 1);
}

qint64 LineStore::TimeOf(int line) const
{
    if (line >= int(lines_.size()))
        return openTime_ >= 0 ? openTime_ : QDateTime::currentMSecsSinceEpoch();
    return lines_[std::max(line, 0)].time;
}

LineStore::Kind LineStore::KindOf(int line) const
{
    return line >= int(lines_.size()) ? Kind::Chat : lines_[std::max(line, 0)].kind;
}

bool LineStore::Mentioned(int line) const
{
    return line >= int(lines_.size()) ? openMentioned_ : lines_[std::max(line, 0)].mentioned;
}

void LineStore::SetMentioned(int line)
{
    if (line >= int(lines_.size()))
        openMentioned_ = true;
    else
        lines_[std::max(line, 0)].mentioned = true;
}

LineText LineStore::TextOf(int line) const
{
    return line >= int(lines_.size()) ? open_ : LineText::Unpack(lines_[std::max(line, 0)].packed.Bytes());
}

QString LineStore::PlainTextOf(int line) const
{
    return line >= int(lines_.size()) ? open_.text : LineText::UnpackText(lines_[std::max(line, 0)].packed.Bytes());
}

QString LineStore::PlainText() const
{
    QString text;
    text.reserve(Length());
    for (const Line& line : lines_) {
        text += LineText::UnpackText(line.packed.Bytes());
        text += u'\n';
    }
    text += open_.text;
    return text;
}

int LineStore::Insert(int position, const QString& text, StyleId style, const QString& link)
{
    if (text.isEmpty())
        return std::clamp(position, 0, Length());
    if (position >= Length()) {
        // The usual case, at the end: no pieces made.
        qsizetype from = 0;
        for (qsizetype cut = text.indexOf(u'\n'); ; cut = text.indexOf(u'\n', from)) {
            const QStringView piece = QStringView(text).mid(from, cut < 0 ? -1 : cut - from);
            if (!piece.isEmpty()) {
                TouchOpenTime();
                open_.Append(piece.toString(), style, link);
            }
            if (cut < 0)
                break;
            CloseOpenLine();
            from = cut + 1;
        }
        return Length();
    }
    return InsertInto(position, Pieces(text, style, link));
}

int LineStore::InsertPicture(int position, PictureId picture, StyleId style)
{
    std::vector<LineText> piece(1);
    piece.front().AppendPicture(picture, style);
    return InsertInto(position, std::move(piece));
}

int LineStore::InsertInto(int position, std::vector<LineText> pieces)
{
    position = std::clamp(position, 0, Length());
    const int index = LineAt(position);
    const int offset = position - StartOf(index);
    const bool open = index == int(lines_.size());
    if (open && offset == open_.text.size()) {
        // The usual case: at the end of the text.
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                CloseOpenLine();
            if (!pieces[i].text.isEmpty())
                TouchOpenTime();
            open_.AppendLine(pieces[i]);
        }
        return Length();
    }
    LineText current = TextOf(index);
    const LineText tail = current.SplitAt(offset);
    std::vector<LineText> made;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            made.push_back(std::exchange(current, LineText()));
        current.AppendLine(pieces[i]);
    }
    const int endOffset = int(current.text.size());
    current.AppendLine(tail);
    made.push_back(std::move(current));
    ++generation_;
    if (open) {
        // Every piece but the last is a finished line; the last stays open.
        for (std::size_t i = 0; i + 1 < made.size(); ++i) {
            open_ = std::move(made[i]);
            TouchOpenTime();
            CloseOpenLine();
        }
        open_ = std::move(made.back());
        if (!open_.text.isEmpty())
            TouchOpenTime();
        return Length() - int(tail.text.size());
    }
    const Line& old = lines_[index];
    std::vector<Line> replaced(made.size());
    for (std::size_t i = 0; i < made.size(); ++i) {
        replaced[i].start = old.start;
        replaced[i].time = old.time;
        replaced[i].kind = old.kind;
        replaced[i].mentioned = i == 0 && old.mentioned;
        replaced[i].packed = made[i].PackCompact();
        replaced[i].length = std::uint32_t(made[i].text.size());
    }
    lines_.erase(lines_.begin() + index);
    lines_.insert(lines_.begin() + index, std::make_move_iterator(replaced.begin()),
                  std::make_move_iterator(replaced.end()));
    Renumber(std::size_t(index) + 1);
    return StartOf(index + int(made.size()) - 1) + endOffset;
}

void LineStore::Renumber(std::size_t from)
{
    for (std::size_t i = std::max<std::size_t>(from, 1); i < lines_.size(); ++i)
        lines_[i].start = lines_[i - 1].start + lines_[i - 1].length + 1;
    if (!lines_.empty())
        openStart_ = lines_.back().start + lines_.back().length + 1;
}

void LineStore::TouchOpenTime()
{
    if (openTime_ >= 0)
        return;
    openTime_ = nextTime_ >= 0 ? nextTime_ : QDateTime::currentMSecsSinceEpoch();
    nextTime_ = -1;
}

void LineStore::CloseOpenLine()
{
    TouchOpenTime();
    Line line;
    line.start = openStart_;
    line.time = openTime_;
    line.packed = open_.PackCompact();
    line.length = std::uint32_t(open_.text.size());
    line.mentioned = openMentioned_;
    lines_.push_back(std::move(line));
    openStart_ += qint64(open_.text.size()) + 1;
    // Emptied with its room kept: the next line needs about as much.
    open_.text.resize(0);
    open_.runs.clear();
    open_.links.clear();
    openTime_ = -1;
    openMentioned_ = false;
}

void LineStore::PushNote(std::deque<Line>& into, const QString& text, Kind kind, qint64 start) const
{
    LineText note;
    note.Append(text, InternStyle(RunStyle{0xFF808080, 0, 0}), QString());
    Line line;
    line.start = start;
    line.time = QDateTime::currentMSecsSinceEpoch();
    line.packed = note.PackCompact();
    line.length = std::uint32_t(note.text.size());
    line.kind = kind;
    into.push_back(std::move(line));
}

int LineStore::DropOldLines()
{
    const bool noted = !lines_.empty() && lines_.front().kind == Kind::DroppedNote;
    // An empty open line after the last line break is no line.
    const int lines = Count() - (noted ? 1 : 0) - (open_.text.isEmpty() ? 1 : 0);
    if (lines <= kKeptLines + kDropBlock)
        return 0;
    const qint64 oldBase = Base();
    const int dropped = lines - kKeptLines;
    const auto first = lines_.begin() + (noted ? 1 : 0);
    lines_.erase(first, first + dropped);
    const qint64 keptStart = lines_.size() > (noted ? 1u : 0u) ? lines_[noted ? 1 : 0].start : openStart_;
    if (noted) {
        lines_.front().start = keptStart - lines_.front().length - 1;
    } else {
        std::deque<Line> note;
        PushNote(note, kDroppedNote, Kind::DroppedNote, keptStart - kDroppedNote.size() - 1);
        lines_.push_front(std::move(note.front()));
    }
    ++generation_;
    return int(Base() - oldBase);
}

int LineStore::PrependOlder(LineStore& older)
{
    if (!older.open_.text.isEmpty())
        older.CloseOpenLine();
    std::deque<Line> block;
    for (Line& line : older.lines_)
        if (line.kind == Kind::Chat)
            block.push_back(std::move(line));
    older = LineStore();
    if (block.empty())
        return 0;
    const bool marked = std::any_of(lines_.begin(), lines_.end(),
                                    [](const Line& line) { return line.kind == Kind::EarlierMark; });
    if (!marked)
        PushNote(block, kEarlierMark, Kind::EarlierMark, 0);
    const qint64 oldBase = Base();
    const std::size_t at = !lines_.empty() && lines_.front().kind == Kind::DroppedNote ? 1 : 0;
    lines_.insert(lines_.begin() + qsizetype(at), std::make_move_iterator(block.begin()),
                  std::make_move_iterator(block.end()));
    // Numbered backwards from the first line that was there before.
    qint64 next = at + block.size() < lines_.size() ? lines_[at + block.size()].start : openStart_;
    for (std::size_t i = at + block.size(); i-- > 0;) {
        lines_[i].start = next - lines_[i].length - 1;
        next = lines_[i].start;
    }
    ++generation_;
    return int(oldBase - Base());
}

void LineStore::Clear()
{
    lines_.clear();
    open_ = LineText();
    openTime_ = -1;
    openMentioned_ = false;
    ++generation_;
}

int LineStore::IndexOfId(qint64 id) const
{
    if (id > openStart_)
        return Count();
    const auto at = std::lower_bound(lines_.begin(), lines_.end(), id,
                                     [](const Line& line, qint64 value) { return line.start < value; });
    return int(at - lines_.begin());
}
