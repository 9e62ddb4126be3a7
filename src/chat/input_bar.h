#pragma once

#include "chat/input_history.h"
#include "chat/nick_completion.h"
#include "common/line_breaks.h"

#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <functional>

class QComboBox;

// More pasted lines than this are sent only when the user says so.
inline constexpr int kPasteLinesWithoutAsking = 3;
class QToolButton;

// The chat line as it goes out: the typed text with its line breaks made
// spaces, then the style bytes in front in this final order: 0x16 (strike),
// 0x1F (underline), 0x02 (bold), 0x03 + colour number. Colour index 0 or
// below adds nothing. When the typed text starts with a digit the colour
// number is written with two digits, so the digit stays text; when it starts
// with a comma and a digit, an empty bold pair keeps that comma from being
// read as a background colour.
QString BuildLineText(const QString& typed, int colourIndex, bool bold, bool underline, bool strike);

// The text that emoticon picker entry index (0-9) puts into the input line;
// empty for any other index.
QString EmoticonPickerText(int index);

// The style bar and input line at the bottom of room and private windows.
// Bold, underline and strike toggles, a colour picker, an emoticon picker,
// and the line being typed.
class InputBar : public QWidget {
    Q_OBJECT

public:
    explicit InputBar(QWidget* parent = nullptr);

    // The line being typed.
    QString Text() const;
    void SetText(const QString& text);
    void Clear();
    void FocusLine();
    // A line that takes no typing: read-only (a partner who is a service or
    // has gone), or locked, that is read-only and greyed out (a notice came).
    void MakeReadOnly();
    void Lock();
    // Neither read-only nor locked.
    bool TakesInput() const;

    // Builds the chat line from the typed text and the style controls,
    // leaves it in the line and returns it.
    QString ApplyStylesToInput();

    // The row of style controls above the line: a window too short for it
    // hides it rather than draw it over the line.
    void SetStyleBarShown(bool shown);
    bool StyleBarShown() const;
    // The height the row takes when shown, with its spacing.
    int StyleBarHeight() const;

    // Tab completion: the nicks it completes from (the room's nick list, or
    // the partner), asked at each new completion.
    void SetCompletionNicks(std::function<QStringList()> nicks) { completionNicks_ = std::move(nicks); }
    // nick said something: it comes first among the completions.
    void NoteSpeaker(const QString& nick);
    const QStringList& RecentSpeakers() const { return speakers_; }
    const InputHistory& History() const { return history_; }

signals:
    // Enter in the line.
    void EnterPressed();
    // A paste of more lines than the line takes without asking, or of more
    // text than it holds: the line's own text and the paste, cut at the
    // paste's line breaks, leave the line to be sent as they are.
    void LinesPasted(const QStringList& lines);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter: the line goes into the history, then EnterPressed.
    void onLineEntered();
    SentInput CurrentInput() const;
    // A paste the line cannot take as one line: LinesPasted, and true.
    bool TakePaste(const QString& text);
    // The line's own context menu, its Paste going the same way as Ctrl+V.
    void ShowContextMenu(const QPoint& globalPos);
    // Paste from the clipboard: the line takes the text, or LinesPasted.
    void PasteClipboard();
    void ShowInput(const SentInput& input);
    // A new entry picked in the emoticon picker: its text replaces the
    // line's selection, or goes in at the line's caret. Nothing is sent.
    void onEmoticonChosen(int index);

    QToolButton* boldButton_ = nullptr;
    QToolButton* underlineButton_ = nullptr;
    QToolButton* strikeButton_ = nullptr;
    QComboBox* colourPicker_ = nullptr;    // colour of the next lines; nothing chosen at first
    QComboBox* emoticonPicker_ = nullptr;  // emoticon texts for the line
    QLineEdit* inputLine_ = nullptr;
    InputHistory history_;
    TabCompleter completer_;
    std::function<QStringList()> completionNicks_;
    QStringList speakers_;  // most recent first
};
