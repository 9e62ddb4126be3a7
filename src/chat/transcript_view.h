#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QPlainTextEdit>

class ScrollPlace;

// The transcript view of room and private windows: a rich-text box that only
// the program writes into. The user can select and copy; typed characters are
// offered through KeyPress and discarded unless a handler keeps them.
//
// The program writes at its own insertion cursor (the "caret"), which is
// separate from the user's selection, so a chat line arriving while the user
// selects something never destroys that selection.
//
// Built on QPlainTextEdit, which lays out only the paragraphs it shows: a
// flood of chat lines costs the inserts, not the typesetting of every line.
// Character formats and inline pictures work as in any rich-text view.
class TranscriptView : public QPlainTextEdit {
    Q_OBJECT

public:
    // A transcript keeps its last kKeptLines lines: older ones are dropped
    // in blocks of kDropBlock, and its first line then says so (kDroppedNote).
    static constexpr int kKeptLines = 100000;
    static constexpr int kDropBlock = 5000;
    static const QString kDroppedNote;

    explicit TranscriptView(QWidget* parent = nullptr);

    // Length of the plain text: the position just past the last character.
    // A picture counts as one character.
    int TextLength() const;

    // The caret: where the next SetSelText / InsertPicture goes.
    int SelStart() const;
    // Moves the caret (clamped to 0..TextLength()) and empties the selection.
    void SetSelStart(int position);

    // Inserts text at the caret with the current insertion attributes; "\n"
    // starts a new paragraph. The caret ends after the inserted text.
    void SetSelText(const QString& text);

    // Insertion attributes: each one stays in force for every following
    // insert until it is changed.
    void SetSelColor(const QColor& color);
    void SetSelBackground(const QColor& color);  // an invalid colour: no background
    void SetSelBold(bool on);
    void SetSelItalic(bool on);
    void SetSelUnderline(bool on);
    void SetSelStrikeOut(bool on);
    void SetSelMonospace(bool on);
    // A link target for the next inserted text (anchorAt finds it there);
    // empty: no link.
    void SetSelAnchor(const QString& target);
    const QTextCharFormat& SelAttributes() const { return insertFormat_; }

    // Inserts the picture at the caret, shown at its own size. The system
    // clipboard is never involved.
    void InsertPicture(const QImage& picture);

    // Scrolls so that the caret is visible. Inside a batch, this happens once
    // when the batch ends.
    void ScrollCaretIntoView();

    // Off: the view takes no keyboard or mouse input; the text stays visible
    // and unchanged in look.
    void SetInputEnabled(bool on) { inputEnabled_ = on; }
    bool InputEnabled() const { return inputEnabled_; }

    // Writes the whole content, pictures included, as RTF.
    // Throws std::runtime_error when the file cannot be written.
    void SaveToFile(const QString& path) const;

    // Groups the inserts until the matching EndBatch into one edit: one layout
    // pass, one Change, one scroll. Batches nest; the outermost one counts.
    void BeginBatch();
    void EndBatch();

    // Holds a batch open for the lifetime of a scope.
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
    // After every change of the text, by the user or by the program.
    void Change();
    // For each typed character. discard starts true; a handler that sets it
    // to false lets the character be inserted at the caret.
    void KeyPress(QChar key, bool& discard);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void DocumentChanged();
    void DropOldLines();
    void ScrollToCaretNow();

    ScrollPlace* place_ = nullptr;  // at the end it stays there through resizes; scrolled up it keeps its place
    QTextCursor cursor_;
    QTextCharFormat insertFormat_;
    int batchDepth_ = 0;
    bool textTouched_ = false;  // a real change not yet reported by Change
    bool scrollPending_ = false;
    bool inputEnabled_ = true;
};
