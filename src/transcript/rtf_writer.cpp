#include "transcript/rtf_writer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// Twips per pixel at 96 pixels per inch.
constexpr int kTwipsPerPixel = 15;

// Colour table of the document, in order of first use; index 0 is "automatic".
class ColorTable {
public:
    int IndexOf(const QColor& color)
    {
        const QRgb rgb = color.rgb() & 0xFFFFFF;
        auto it = index_.constFind(rgb);
        if (it != index_.constEnd())
            return it.value();
        colors_.push_back(rgb);
        const int index = static_cast<int>(colors_.size());
        index_.insert(rgb, index);
        return index;
    }

    QByteArray Rtf() const
    {
        QByteArray out = "{\\colortbl ;";
        for (const QRgb rgb : colors_)
            out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                   QByteArray::number(qGreen(rgb)) + "\\blue" + QByteArray::number(qBlue(rgb)) + ";";
        out += "}\n";
        return out;
    }

private:
    std::vector<QRgb> colors_;
    QHash<QRgb, int> index_;
};

// Appends text with RTF's special characters escaped; everything outside
// printable ASCII goes out as a Unicode escape. The "?" shown by readers
// that know no Unicode is written as \'3f: some readers that take a bare
// "?" there swallow the character after it.
void AppendEscaped(QByteArray& out, const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator) {
            out += "\\line ";
        } else if (u >= 0x20 && u < 0x7F) {
            out += static_cast<char>(u);
        } else {
            // \u takes a signed 16-bit number; surrogate halves go out one by one.
            out += "\\u" + QByteArray::number(static_cast<int>(static_cast<int16_t>(u))) + "\\'3f";
        }
    }
}

QImage PictureOf(const QTextDocument& document, const QTextImageFormat& format)
{
    const QVariant data = document.resource(QTextDocument::ImageResource, QUrl(format.name()));
    if (data.typeId() == QMetaType::QImage)
        return data.value<QImage>();
    if (data.typeId() == QMetaType::QPixmap)
        return data.value<QPixmap>().toImage();
    return QImage();
}

// The picture group of one picture at one shown size.
QByteArray PictureGroup(const QImage& picture, const QTextImageFormat& format)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    const int shownWidth = format.width() > 0 ? qRound(format.width()) : picture.width();
    const int shownHeight = format.height() > 0 ? qRound(format.height()) : picture.height();
    QByteArray out = "{\\pict\\pngblip\\picw" + QByteArray::number(picture.width()) + "\\pich" +
                     QByteArray::number(picture.height()) + "\\picwgoal" +
                     QByteArray::number(shownWidth * kTwipsPerPixel) + "\\pichgoal" +
                     QByteArray::number(shownHeight * kTwipsPerPixel) + "\n";
    const QByteArray hex = png.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        out += hex.mid(i, 128);
        out += '\n';
    }
    out += "}";
    return out;
}

// The control words that give a text run its look, inside its own group.
QByteArray RunControls(const QTextCharFormat& format, ColorTable& colors)
{
    QByteArray controls;
    if (format.fontFixedPitch())
        controls += "\\f1";
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        controls += "\\cf" + QByteArray::number(colors.IndexOf(format.foreground().color()));
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush) {
        const QByteArray index = QByteArray::number(colors.IndexOf(format.background().color()));
        controls += "\\highlight" + index + "\\cb" + index + "\\chcbpat" + index;
    }
    if (format.fontWeight() >= QFont::DemiBold)
        controls += "\\b";
    if (format.fontItalic())
        controls += "\\i";
    if (format.fontUnderline())
        controls += "\\ul";
    if (format.fontStrikeOut())
        controls += "\\strike";
    return controls;
}

QByteArray FontTable(const QFont& font)
{
    QByteArray out = "{\\fonttbl{\\f0\\fnil ";
    AppendEscaped(out, font.family());
    out += ";}{\\f1\\fmodern Courier New;}}\n";
    return out;
}

}  // namespace

RtfSnapshotTaker::RtfSnapshotTaker(const QTextDocument& document)
    : document_(&document),
      // The cursors only follow the text as it changes; nothing is written through them.
      next_(const_cast<QTextDocument*>(&document)),
      end_(const_cast<QTextDocument*>(&document))
{
    snapshot_.font = document.defaultFont();
    snapshot_.formats = document.allFormats();
    end_.movePosition(QTextCursor::End);
    end_.setKeepPositionOnInsert(true);  // text added at the end comes after it
}

bool RtfSnapshotTaker::CopySome(int budgetMs)
{
    if (!document_) return true;
    const QTextDocument& document = *document_;
    const int end = end_.position();
    QElapsedTimer clock;
    clock.start();
    QTextBlock block = document.findBlock(next_.position());
    bool copiedHere = false;  // each slice copies at least one paragraph
    for (; block.isValid() && block.position() <= end; block = block.next()) {
        if (copiedHere && clock.elapsed() >= budgetMs) {
            next_.setPosition(block.position());
            return false;
        }
        bool first = true;
        // Only the paragraph that held the end can hold text added since.
        const bool holdsEnd = block.position() + block.length() > end;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            int length = fragment.length();
            if (holdsEnd) {
                if (fragment.position() >= end) break;
                // Text added at the end in the same look joins the last fragment.
                length = std::min(length, end - fragment.position());
            }
            const int index = fragment.charFormatIndex();
            if (index >= snapshot_.formats.size()) snapshot_.formats = document.allFormats();
            const QTextFormat& format = snapshot_.formats.at(index);
            const bool picture = format.isImageFormat();
            if (picture && !snapshot_.pictures.contains(index))
                snapshot_.pictures.insert(index, PictureOf(document, format.toImageFormat()));
            snapshot_.runs.push_back({index, picture ? QString() : fragment.text().left(length), length,
                                      first && copiedAny_});
            first = false;
        }
        if (first && copiedAny_) snapshot_.runs.push_back({-1, QString(), 0, true});
        copiedAny_ = copiedHere = true;
    }
    next_.setPosition(end);
    return true;
}

RtfSnapshot RtfSnapshotTaker::Take() { return std::move(snapshot_); }

RtfSnapshot TakeRtfSnapshot(const QTextDocument& document)
{
    RtfSnapshotTaker taker(document);
    while (!taker.CopySome(std::numeric_limits<int>::max())) {
    }
    return taker.Take();
}

bool WriteRtf(const RtfSnapshot& snapshot, QIODevice& out, RtfProgress* progress)
{
    // The colour table comes first in the file: one pass over the looks
    // in use finds every colour before the text is written.
    ColorTable colors;
    for (const QTextFormat& format : snapshot.formats)
        if (format.isCharFormat() && !format.isImageFormat()) RunControls(format.toCharFormat(), colors);

    const int halfPoints = snapshot.font.pointSizeF() > 0 ? qRound(snapshot.font.pointSizeF() * 2) : 20;
    QByteArray chunk = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n";
    chunk += FontTable(snapshot.font);
    chunk += colors.Rtf();
    chunk += "\\pard\\plain\\f0\\fs" + QByteArray::number(halfPoints) + "\n";

    constexpr qsizetype kChunkBytes = 1 << 20;
    const auto flush = [&out, &chunk] {
        const bool written = out.write(chunk) == chunk.size();
        chunk.clear();
        return written;
    };
    // Each distinct picture (by its look: resource and shown size) encoded once.
    QHash<int, QByteArray> groups;
    for (auto it = snapshot.pictures.cbegin(); it != snapshot.pictures.cend(); ++it)
        if (!it.value().isNull())
            groups.insert(it.key(), PictureGroup(it.value(), snapshot.formats.at(it.key()).toImageFormat()));
    for (const RtfRun& run : snapshot.runs) {
        if (progress && progress->cancelled.load(std::memory_order_relaxed)) return false;
        if (run.paragraphStart)
            chunk += "\\par\n";
        if (run.format < 0) continue;
        if (snapshot.pictures.contains(run.format)) {
            const QByteArray group = groups.value(run.format);
            // A run may hold several copies of the same picture.
            for (int i = 0; i < run.length && !group.isEmpty(); ++i) chunk += group;
        } else {
            chunk += '{';
            chunk += RunControls(snapshot.formats.at(run.format).toCharFormat(), colors);
            chunk += ' ';
            AppendEscaped(chunk, run.text);
            chunk += '}';
        }
        if (chunk.size() >= kChunkBytes && !flush()) return false;
        if (progress) progress->runsDone.fetch_add(1, std::memory_order_relaxed);
    }
    chunk += "\n}\n";
    return flush();
}

bool WriteRtf(const QTextDocument& document, QIODevice& out, RtfProgress* progress)
{
    return WriteRtf(TakeRtfSnapshot(document), out, progress);
}

QByteArray WriteRtf(const RtfSnapshot& snapshot)
{
    QByteArray rtf;
    QBuffer buffer(&rtf);
    buffer.open(QIODevice::WriteOnly);
    WriteRtf(snapshot, buffer);
    return rtf;
}

QByteArray WriteRtf(const QTextDocument& document) { return WriteRtf(TakeRtfSnapshot(document)); }
