#pragma once

#include <QFrame>
#include <QList>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QAbstractScrollArea;
class TranscriptView;
class QToolButton;

// Every place where needle occurs in haystack, letter case not counting, in
// order; overlapping places count once each step of one character.
QList<int> FindAllMatches(const QString& haystack, const QString& needle);

// The find bar of one transcript: Ctrl+F in host opens it over the top of
// the transcript; typing finds every match at once and selects the newest;
// Enter goes to the next match, Shift+Enter to the previous one (both
// round), Escape closes the bar and gives the keyboard back (to the window's
// input line when it has one). The label shows "n of m". The bar sits inside
// the transcript's text area, clear of its scroll bar.
class FindBar : public QFrame {
    Q_OBJECT

public:
    // Over a transcript (a chat window's or the server log).
    // returnFocus: where the keyboard goes when the bar closes; none: the view.
    FindBar(TranscriptView* view, QWidget* host, QWidget* returnFocus = nullptr);

    void Open();
    void Close();
    void FindNext();
    void FindPrevious();
    // Finds text anew in the whole transcript and selects the newest match.
    void Search(const QString& text);

    int MatchCount() const { return int(matches_.size()); }
    int CurrentMatch() const { return current_; }  // 0-based; -1 without a match
    QString CountText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the bar needs of its view: the text, and a match shown (selected,
    // marked, scrolled to) or, with length 0, no match shown.
    struct Target {
        std::function<QString()> text;
        std::function<void(int start, int length)> show;
    };
    FindBar(QAbstractScrollArea* view, QWidget* host, Target target, QWidget* returnFocus);

    void Place();
    void Step(int by);  // to the next (1) or previous (-1) match, going round
    void ShowCurrent();
    // The transcript's text as it stands (read again only after a change).
    const QString& Text();

    QAbstractScrollArea* view_;
    Target target_;
    QWidget* returnFocus_;
    QLineEdit* findLine_;
    QLabel* countLabel_;
    QList<int> matches_;
    int current_ = -1;
    QString text_;
    bool textStale_ = true;
};
