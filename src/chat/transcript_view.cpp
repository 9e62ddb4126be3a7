#include "chat/transcript_view.h"

#include "chat/rtf_writer.h"
#include "common/scroll_place.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextObjectInterface>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <stdexcept>

namespace {

// Draws the pictures inserted with InsertPicture: the plain-text layout has
// no picture drawing of its own.
class PictureObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* document, int, const QTextFormat& format) override
    {
        const QTextImageFormat image = format.toImageFormat();
        if (image.width() > 0 && image.height() > 0)
            return QSizeF(image.width(), image.height());
        return Picture(document, image).size();
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                    const QTextFormat& format) override
    {
        const QImage picture = Picture(document, format.toImageFormat());
        if (!picture.isNull())
            painter->drawImage(rect, picture);
    }

private:
    static QImage Picture(QTextDocument* document, const QTextImageFormat& format)
    {
        return document->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    }
};

}  // namespace

const QString TranscriptView::kDroppedNote = QStringLiteral("(Older lines of this chat were dropped.)");

TranscriptView::TranscriptView(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    document()->documentLayout()->registerHandler(QTextFormat::ImageObject, new PictureObject(this));
    cursor_ = QTextCursor(document());
    insertFormat_.setForeground(QColor(Qt::black));
    // contentsChange tells whether anything really changed; textChanged comes
    // after the layout has caught up, which is when the windows may scroll.
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed != 0 || added != 0)
            textTouched_ = true;
    });
    connect(this, &QPlainTextEdit::textChanged, this, &TranscriptView::DocumentChanged);
    // At its end it stays there through resizes, tiling and cascading;
    // scrolled up, it keeps its place.
    place_ = new ScrollPlace(this);
}

void TranscriptView::resizeEvent(QResizeEvent* event)
{
    ScrollPlace::Move move(*place_);
    QPlainTextEdit::resizeEvent(event);
}

void TranscriptView::showEvent(QShowEvent* event)
{
    ScrollPlace::Move move(*place_);
    QPlainTextEdit::showEvent(event);
}

int TranscriptView::TextLength() const
{
    // The document always ends with one paragraph separator that is not text.
    return document()->characterCount() - 1;
}

int TranscriptView::SelStart() const
{
    return cursor_.position();
}

void TranscriptView::SetSelStart(int position)
{
    cursor_.setPosition(qBound(0, position, TextLength()));
}

void TranscriptView::SetSelText(const QString& text)
{
    if (!text.isEmpty() || cursor_.hasSelection())
        cursor_.insertText(text, insertFormat_);
}

void TranscriptView::SetSelColor(const QColor& color)
{
    insertFormat_.setForeground(color);
}

void TranscriptView::SetSelBackground(const QColor& color)
{
    if (color.isValid())
        insertFormat_.setBackground(color);
    else
        insertFormat_.clearBackground();
}

void TranscriptView::SetSelBold(bool on)
{
    insertFormat_.setFontWeight(on ? QFont::Bold : QFont::Normal);
}

void TranscriptView::SetSelItalic(bool on)
{
    insertFormat_.setFontItalic(on);
}

void TranscriptView::SetSelUnderline(bool on)
{
    insertFormat_.setFontUnderline(on);
}

void TranscriptView::SetSelStrikeOut(bool on)
{
    insertFormat_.setFontStrikeOut(on);
}

void TranscriptView::SetSelMonospace(bool on)
{
    if (on) {
        insertFormat_.setFontFamilies(QStringList{QStringLiteral("monospace")});
        insertFormat_.setFontStyleHint(QFont::TypeWriter);
        insertFormat_.setFontFixedPitch(true);
    } else {
        insertFormat_.clearProperty(QTextFormat::FontFamilies);
        insertFormat_.clearProperty(QTextFormat::FontStyleHint);
        insertFormat_.clearProperty(QTextFormat::FontFixedPitch);
    }
}

void TranscriptView::SetSelAnchor(const QString& target)
{
    if (target.isEmpty()) {
        insertFormat_.clearProperty(QTextFormat::IsAnchor);
        insertFormat_.clearProperty(QTextFormat::AnchorHref);
    } else {
        insertFormat_.setAnchor(true);
        insertFormat_.setAnchorHref(target);
    }
}

void TranscriptView::InsertPicture(const QImage& picture)
{
    if (picture.isNull())
        return;
    // One document resource per distinct picture, however often it is shown.
    const QString name = QStringLiteral("talvessa-picture:%1").arg(picture.cacheKey());
    const QUrl url(name);
    if (!document()->resource(QTextDocument::ImageResource, url).isValid())
        document()->addResource(QTextDocument::ImageResource, url, picture);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(picture.width());
    format.setHeight(picture.height());
    cursor_.insertImage(format);
}

void TranscriptView::ScrollCaretIntoView()
{
    if (batchDepth_ > 0)
        scrollPending_ = true;
    else
        ScrollToCaretNow();
}

void TranscriptView::ScrollToCaretNow()
{
    // Works on the program's caret, not on the user's cursor, so a selection
    // the user is making stays where it is.
    // The vertical scroll bar counts lines: its value is the line at the top.
    QScrollBar* bar = verticalScrollBar();
    const QTextBlock block = cursor_.block();
    if (!block.next().isValid()) {
        // The usual case: the caret is in the last paragraph, show the end.
        bar->setValue(bar->maximum());
        return;
    }
    const QRectF shown = blockBoundingGeometry(block).translated(contentOffset());
    const qreal height = viewport()->height();
    if (shown.top() < 0) {
        bar->setValue(block.firstLineNumber());
    } else if (shown.bottom() > height) {
        // Put the caret's paragraph at the bottom: the top is the earliest
        // paragraph from which everything down to it still fits.
        QTextBlock top = block;
        qreal used = shown.height();
        for (QTextBlock above = block.previous(); above.isValid(); above = above.previous()) {
            used += blockBoundingRect(above).height();
            if (used > height)
                break;
            top = above;
        }
        bar->setValue(top.firstLineNumber());
    }
}

void TranscriptView::SaveToFile(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !WriteRtf(*document(), file) || !file.commit())
        throw std::runtime_error("Cannot save the chat to \"" + path.toStdString() +
                                 "\": " + file.errorString().toStdString());
}

void TranscriptView::BeginBatch()
{
    if (batchDepth_++ == 0)
        cursor_.beginEditBlock();
}

void TranscriptView::EndBatch()
{
    if (batchDepth_ == 0)
        return;
    if (batchDepth_ > 1) {
        --batchDepth_;
        return;
    }
    // Still counted as open while the edit block closes, so the change the
    // document reports now is folded into the one Change below.
    cursor_.endEditBlock();
    batchDepth_ = 0;
    DropOldLines();
    if (textTouched_) {
        textTouched_ = false;
        emit Change();
    }
    if (scrollPending_) {
        scrollPending_ = false;
        ScrollToCaretNow();
    }
}

// Runs between edits (never inside a batch), so no writer holds a position
// that the cut would move; the caret moves with the text.
void TranscriptView::DropOldLines()
{
    QTextDocument* text = document();
    const bool noted = text->firstBlock().text() == kDroppedNote;
    // The empty paragraph after the last line break is no line.
    const int lines = text->blockCount() - (noted ? 1 : 0) - (text->lastBlock().length() <= 1 ? 1 : 0);
    if (lines <= kKeptLines + kDropBlock)
        return;
    QTextCursor cut(text);
    if (noted)
        cut.movePosition(QTextCursor::NextBlock);
    const QTextBlock firstKept = text->findBlockByNumber((noted ? 1 : 0) + lines - kKeptLines);
    cut.setPosition(firstKept.position(), QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    if (!noted) {
        QTextCharFormat plain;
        plain.setForeground(QColor(Qt::gray));
        cut.insertText(kDroppedNote + u'\n', plain);
    }
}

void TranscriptView::DocumentChanged()
{
    if (batchDepth_ == 0)
        DropOldLines();
    if (!textTouched_ || batchDepth_ > 0)
        return;
    textTouched_ = false;
    emit Change();
}

void TranscriptView::keyPressEvent(QKeyEvent* event)
{
    if (!inputEnabled_) {
        event->ignore();
        return;
    }
    const QString typed = event->text();
    const bool isCharacter = !typed.isEmpty() &&
                             std::all_of(typed.begin(), typed.end(),
                                         [](QChar c) { return c.unicode() >= 0x20 && c.unicode() != 0x7F; }) &&
                             !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (!isCharacter) {
        // Navigation, selection and copy keys work as in any read-only view.
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    for (const QChar c : typed) {
        bool discard = true;
        emit KeyPress(c, discard);
        if (!discard)
            SetSelText(QString(c));
    }
    event->accept();
}

void TranscriptView::mousePressEvent(QMouseEvent* event)
{
    if (inputEnabled_)
        QPlainTextEdit::mousePressEvent(event);
    else
        event->ignore();
}

void TranscriptView::mouseReleaseEvent(QMouseEvent* event)
{
    if (inputEnabled_)
        QPlainTextEdit::mouseReleaseEvent(event);
    else
        event->ignore();
}

void TranscriptView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (inputEnabled_)
        QPlainTextEdit::mouseDoubleClickEvent(event);
    else
        event->ignore();
}

void TranscriptView::mouseMoveEvent(QMouseEvent* event)
{
    if (inputEnabled_)
        QPlainTextEdit::mouseMoveEvent(event);
    else
        event->ignore();
}

#include "transcript_view.moc"
