#include "transcript/transcript_export.h"

#include "transcript/line_store.h"
#include "transcript/transcript_view.h"

#include <QElapsedTimer>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <limits>
#include <stdexcept>

namespace {

const QColor kTimeStampColor(0x80, 0x80, 0x80);
const QColor kMentionBackground(0xFF, 0xF1, 0xA8);

QTextCharFormat TimeStampFormatOf()
{
    QTextCharFormat grey;
    grey.setForeground(kTimeStampColor);
    return grey;
}

QTextImageFormat ImageFormatOf(PictureId picture)
{
    const QImage& image = PictureOf(picture);
    QTextImageFormat format;
    format.setName(QStringLiteral("talvessa-picture:%1").arg(image.cacheKey()));
    format.setWidth(image.width());
    format.setHeight(image.height());
    return format;
}

QString StampOf(const LineStore& store, int line, TimeStampFormat format)
{
    return store.KindOf(line) == LineStore::Kind::Chat ? TimeStampText(store.TimeOf(line), format) : QString();
}

}  // namespace

std::unique_ptr<QTextDocument> TranscriptDocument(const TranscriptView& view, int from, int to,
                                                  std::optional<TimeStampFormat> stamps)
{
    const LineStore& store = view.Store();
    if (to < 0 || to > store.Length())
        to = store.Length();
    from = std::clamp(from, 0, to);
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(view.font());
    QTextCursor cursor(document.get());
    const int first = store.LineAt(from);
    const int last = store.LineAt(to);
    for (int line = first; line <= last; ++line) {
        if (line > first)
            cursor.insertBlock();
        const int start = store.StartOf(line);
        const int cutFrom = line == first ? from - start : 0;
        const int cutTo = line == last ? to - start : store.LengthOf(line);
        if (store.Mentioned(line)) {
            QTextBlockFormat look;
            look.setBackground(kMentionBackground);
            cursor.mergeBlockFormat(look);
        }
        const QString stamp = StampOf(store, line, stamps.value_or(view.TimeStamps()));
        if (!stamp.isEmpty() && cutFrom == 0)
            cursor.insertText(stamp, TimeStampFormatOf());
        const LineText text = store.TextOf(line);
        for (std::size_t i = 0; i < text.runs.size(); ++i) {
            const LineRun& run = text.runs[i];
            const int runFrom = std::max(int(run.start), cutFrom);
            const int runTo = std::min(text.RunEnd(i), cutTo);
            if (runFrom >= runTo)
                continue;
            if (run.IsPicture()) {
                const QTextImageFormat image = ImageFormatOf(run.Picture());
                document->addResource(QTextDocument::ImageResource, QUrl(image.name()), PictureOf(run.Picture()));
                cursor.insertImage(image);
                continue;
            }
            QTextCharFormat format = CharFormatOf(run.style);
            if (run.LinkIndex() >= 0) {
                format.setAnchor(true);
                format.setAnchorHref(text.links.value(run.LinkIndex()));
            }
            cursor.insertText(text.text.mid(runFrom, runTo - runFrom), format);
        }
    }
    return document;
}

TranscriptSnapshotTaker::TranscriptSnapshotTaker(const TranscriptView& view)
    : view_(&view), timeStamps_(view.TimeStamps())
{
    const LineStore& store = view.Store();
    nextId_ = store.IdOf(0);
    endId_ = store.IdOf(store.Count() - 1);
    endLength_ = store.LengthOf(store.Count() - 1);
    snapshot_.font = view.font();
}

int TranscriptSnapshotTaker::FormatOf(int style, int link)
{
    const qint64 key = (qint64(link + 1) << 20) | style;
    const auto found = formats_.constFind(key);
    if (found != formats_.constEnd())
        return found.value();
    QTextCharFormat format = style < 0 ? TimeStampFormatOf() : CharFormatOf(StyleId(style));
    if (link >= 0)
        format.setAnchor(true);
    snapshot_.formats.append(format);
    formats_.insert(key, int(snapshot_.formats.size()) - 1);
    return int(snapshot_.formats.size()) - 1;
}

int TranscriptSnapshotTaker::PictureFormatOf(int picture)
{
    const qint64 key = -1 - picture;
    const auto found = formats_.constFind(key);
    if (found != formats_.constEnd())
        return found.value();
    snapshot_.formats.append(ImageFormatOf(PictureId(picture)));
    const int index = int(snapshot_.formats.size()) - 1;
    snapshot_.pictures.insert(index, PictureOf(PictureId(picture)));
    formats_.insert(key, index);
    return index;
}

bool TranscriptSnapshotTaker::CopySome(int budgetMs)
{
    if (!view_)
        return true;
    const LineStore& store = view_->Store();
    QElapsedTimer clock;
    clock.start();
    bool copiedHere = false;
    for (int line = store.IndexOfId(nextId_); line < store.Count() && store.IdOf(line) <= endId_; ++line) {
        if (copiedHere && clock.elapsed() >= budgetMs) {
            nextId_ = store.IdOf(line);
            return false;
        }
        const bool holdsEnd = store.IdOf(line) == endId_;
        const int length = holdsEnd ? std::min(endLength_, store.LengthOf(line)) : store.LengthOf(line);
        bool first = true;
        const auto add = [&](int format, const QString& text, int count) {
            snapshot_.runs.push_back({format, text, count, first && copiedAny_});
            first = false;
        };
        const QString stamp = StampOf(store, line, timeStamps_);
        if (!stamp.isEmpty() && length > 0)
            add(FormatOf(-1, -1), stamp, int(stamp.size()));
        const LineText text = store.TextOf(line);
        for (std::size_t i = 0; i < text.runs.size() && int(text.runs[i].start) < length; ++i) {
            const LineRun& run = text.runs[i];
            const int end = std::min(text.RunEnd(i), length);
            if (run.IsPicture())
                add(PictureFormatOf(run.Picture()), QString(), 1);
            else
                add(FormatOf(run.style, run.LinkIndex()), text.text.mid(run.start, end - int(run.start)),
                    end - int(run.start));
        }
        if (first && copiedAny_)
            snapshot_.runs.push_back({-1, QString(), 0, true});
        copiedAny_ = copiedHere = true;
        nextId_ = store.IdOf(line) + 1;
    }
    nextId_ = endId_ + 1;
    return true;
}

RtfSnapshot TakeTranscriptSnapshot(const TranscriptView& view)
{
    TranscriptSnapshotTaker taker(view);
    while (!taker.CopySome(std::numeric_limits<int>::max())) {
    }
    return taker.Take();
}

void SaveTranscriptRtf(const TranscriptView& view, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !WriteRtf(TakeTranscriptSnapshot(view), file) || !file.commit())
        throw std::runtime_error("Cannot save the chat to \"" + path.toStdString() +
                                 "\": " + file.errorString().toStdString());
}
