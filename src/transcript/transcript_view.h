#pragma once

#include "transcript/line_layouts.h"
#include "transcript/line_store.h"
#include "transcript/line_style.h"
#include "transcript/transcript_caret.h"
#include "transcript/transcript_input.h"
#include "transcript/transcript_scroller.h"
#include "transcript/transcript_selection.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QString>

// The transcript view of room and private windows and of the server log:
// the lines the program writes, kept compactly in a LineStore, of which only
// the lines on screen are laid out. The user can select and copy; typed
// characters are offered through KeyPress and discarded unless a handler
// keeps them.
//
// The program writes at its own insertion point (TranscriptCaret), which is
// separate from the user's selection. Text positions count as
// in the plain text of the lines joined by line breaks; a picture is one
// character.
class TranscriptView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TranscriptView(QWidget* parent = nullptr);

    const LineStore& Store() const { return store_; }
    int TextLength() const { return store_.Length(); }
    QString toPlainText() const { return store_.PlainText(); }
    void clear();

    // Where the program writes, and the look of what it writes next (see
    // the SetSel functions below).
    TranscriptCaret& Caret() { return caret_; }
    const TranscriptCaret& Caret() const { return caret_; }

    // Gives the line that holds position the look of a line that names the user.
    void MarkMention(int position);
    // The server's own time for the next line (msecs since the epoch).
    void SetNextLineTime(qint64 msecs) { store_.SetNextLineTime(msecs); }
    // Older lines (written into a store of their own), put above the rest
    // with an "earlier" separator below them; older is left empty.
    void PrependOlder(LineStore& older);

    void SetTimeStamps(TimeStampFormat format);
    TimeStampFormat TimeStamps() const { return layouts_.TimeStamps(); }

    // Scrolls so that the caret is visible; at the end only while the view
    // follows the end (the user has not scrolled up). Inside a batch, this
    // happens once when the batch ends.
    void ScrollCaretIntoView();
    const TranscriptScroller& Scroller() const { return scroller_; }

    // The keyboard and the mouse; off, the text stays visible.
    TranscriptInput& Input() { return input_; }

    // The user's selection and the find bar's match.
    const TranscriptSelection& Selection() const { return selection_; }
    void Select(int anchor, int position);
    // Plain text with line breaks, and the same as rich text.
    void Copy() const;
    // The find bar's match: selected, marked and centred; length 0 clears it.
    void ShowMatch(int start, int length);
    // The link target at a point of the viewport; empty when none.
    QString anchorAt(const QPoint& point) const { return scroller_.LinkAt(point); }

    // Groups the inserts until the matching EndBatch: one Change, one
    // scroll. Batches nest; the outermost one counts.
    void BeginBatch() { ++batchDepth_; }
    void EndBatch();

    class Batch {
    public:
        explicit Batch(TranscriptView& view) : view_(view) { view_.BeginBatch(); }
        ~Batch() { view_.EndBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TranscriptView& view_;
    };

signals:
    // After every change of the text.
    void Change();
    // For each typed character. discard starts true; a handler that sets it
    // to false lets the character be inserted at the caret.
    void KeyPress(QChar key, bool& discard);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void TextChanged();

    LineStore store_;
    mutable LineLayouts layouts_;
    TranscriptScroller scroller_;
    TranscriptSelection selection_;
    TranscriptCaret caret_;
    int batchDepth_ = 0;
    bool changed_ = false;  // a change not yet reported by Change
    bool scrollPending_ = false;
    TranscriptInput input_;  // last: it stops watching before the rest goes
};

// The write API of a rich-text control whose selection is the insertion
// point, on a view's caret: where the next SetSelText / InsertPicture goes,
// and the look of the next inserts, one part at a time; each part stays in
// force until it is changed.
inline int SelStart(const TranscriptView& view) { return view.Caret().Position(); }
inline void SetSelStart(TranscriptView& view, int position) { view.Caret().MoveTo(position); }
// Inserts text at the caret in the current look; "\n" starts a new line.
inline void SetSelText(TranscriptView& view, const QString& text) { view.Caret().Insert(text); }
// Inserts the picture at the caret, at its own size.
inline void InsertPicture(TranscriptView& view, const QImage& picture) { view.Caret().InsertPicture(picture); }
void SetSelColor(TranscriptView& view, const QColor& color);
void SetSelBackground(TranscriptView& view, const QColor& color);  // invalid: no background
inline void SetSelBold(TranscriptView& view, bool on) { view.Caret().Look().Set(RunStyle::Bold, on); }
inline void SetSelItalic(TranscriptView& view, bool on) { view.Caret().Look().Set(RunStyle::Italic, on); }
inline void SetSelUnderline(TranscriptView& view, bool on) { view.Caret().Look().Set(RunStyle::Underline, on); }
inline void SetSelStrikeOut(TranscriptView& view, bool on) { view.Caret().Look().Set(RunStyle::Strike, on); }
inline void SetSelMonospace(TranscriptView& view, bool on) { view.Caret().Look().Set(RunStyle::Monospace, on); }
inline void SetSelAnchor(TranscriptView& view, const QString& target) { view.Caret().Link() = target; }
