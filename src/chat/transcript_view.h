#pragma once

#include "chat/line_layouts.h"
#include "chat/line_store.h"
#include "chat/line_style.h"
#include "chat/transcript_scroller.h"
#include "chat/transcript_selection.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QString>

// The transcript view of room and private windows: the lines the program
// writes, kept compactly in a LineStore, of which only the lines on screen
// are laid out. The user can select and copy; typed characters are offered
// through KeyPress and discarded unless a handler keeps them.
//
// The program writes at its own insertion point (the "caret"), which is
// separate from the user's selection, so a chat line arriving while the user
// selects something never destroys that selection. Text positions count as
// in the plain text of the lines joined by line breaks; a picture is one
// character.
class TranscriptView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kKeptLines = LineStore::kKeptLines;
    static constexpr int kDropBlock = LineStore::kDropBlock;
    static inline const QString& kDroppedNote = LineStore::kDroppedNote;

    explicit TranscriptView(QWidget* parent = nullptr);

    const LineStore& Store() const { return store_; }
    int TextLength() const { return store_.Length(); }
    QString toPlainText() const { return store_.PlainText(); }
    void clear();

    // The caret: where the next SetSelText / InsertPicture goes.
    int SelStart() const { return caret_; }
    void SetSelStart(int position) { caret_ = std::clamp(position, 0, TextLength()); }
    // Inserts text at the caret in the current look; "\n" starts a new
    // line. The caret ends after the inserted text.
    void SetSelText(const QString& text);
    // Inserts the picture at the caret, at its own size.
    void InsertPicture(const QImage& picture);
    // The look of the next inserts: each part stays until it is changed.
    // A link target: empty for none.
    RunStyle& SelLook() { return look_; }
    QString& SelLink() { return link_; }

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

    // Off: the view takes no keyboard or mouse input; the text stays visible.
    void SetInputEnabled(bool on) { inputEnabled_ = on; }
    bool InputEnabled() const { return inputEnabled_; }

    // The user's selection and the find bar's match.
    const TranscriptSelection& Selection() const { return selection_; }
    void Select(int anchor, int position);
    // Plain text with line breaks, and the same as rich text.
    void Copy() const;
    // The find bar's match: selected, marked and centred; length 0 clears it.
    void ShowMatch(int start, int length);
    // The link target at a point of the viewport; empty when none.
    QString anchorAt(const QPoint& point) const { return scroller_.LinkAt(point); }

    // Writes the whole content as shown, pictures included, as RTF.
    // Throws std::runtime_error when the file cannot be written.
    void SaveToFile(const QString& path) const;

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
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void TextChanged();
    bool NavigationKey(QKeyEvent* event);

    LineStore store_;
    mutable LineLayouts layouts_;
    TranscriptScroller scroller_;
    TranscriptSelection selection_;
    RunStyle look_;  // of the next insert
    QString link_;   // the next insert's link target
    int caret_ = 0;
    int batchDepth_ = 0;
    bool changed_ = false;  // a change not yet reported by Change
    bool scrollPending_ = false;
    bool inputEnabled_ = true;
    bool selecting_ = false;  // a mouse drag is selecting
};

// The look of the next inserts at a view's caret, one part at a time; each
// part stays in force until it is changed.
void SetSelColor(TranscriptView& view, const QColor& color);
void SetSelBackground(TranscriptView& view, const QColor& color);  // invalid: no background
inline void SetSelBold(TranscriptView& view, bool on) { view.SelLook().Set(RunStyle::Bold, on); }
inline void SetSelItalic(TranscriptView& view, bool on) { view.SelLook().Set(RunStyle::Italic, on); }
inline void SetSelUnderline(TranscriptView& view, bool on) { view.SelLook().Set(RunStyle::Underline, on); }
inline void SetSelStrikeOut(TranscriptView& view, bool on) { view.SelLook().Set(RunStyle::Strike, on); }
inline void SetSelMonospace(TranscriptView& view, bool on) { view.SelLook().Set(RunStyle::Monospace, on); }
inline void SetSelAnchor(TranscriptView& view, const QString& target) { view.SelLink() = target; }
