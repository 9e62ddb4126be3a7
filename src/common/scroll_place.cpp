#include "common/scroll_place.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

ScrollPlace::ScrollPlace(QPlainTextEdit* view) : QObject(view), view_(view), bar_(view->verticalScrollBar())
{
    following_ = bar_->value() >= bar_->maximum();
    connect(bar_, &QScrollBar::valueChanged, this, &ScrollPlace::ValueChanged);
    connect(bar_, &QScrollBar::rangeChanged, this, &ScrollPlace::RangeChanged);
}

int ScrollPlace::TopBlock() const { return view_->cursorForPosition(QPoint(1, 1)).blockNumber(); }

void ScrollPlace::BeginMove()
{
    if (moving_++ > 0) return;
    // The scroll bar counts lines: its value is the line at the top.
    const QTextBlock top = view_->document()->findBlockByNumber(TopBlock());
    topBlock_ = top.blockNumber();
    topLineInBlock_ = top.isValid() ? std::max(0, bar_->value() - top.firstLineNumber()) : 0;
}

void ScrollPlace::EndMove()
{
    if (--moving_ > 0) return;
    if (following_) {
        SetValue(bar_->maximum());
        return;
    }
    const QTextBlock top = view_->document()->findBlockByNumber(topBlock_);
    if (!top.isValid() || TopBlock() == topBlock_) return;
    SetValue(top.firstLineNumber() + std::clamp(topLineInBlock_, 0, std::max(0, top.lineCount() - 1)));
}

void ScrollPlace::ValueChanged(int value)
{
    // While the view lays itself out for a new size, its scrolling is not the user's.
    if (setting_ || moving_ > 0) return;
    following_ = value >= bar_->maximum();
}

void ScrollPlace::RangeChanged(int, int maximum)
{
    // More text, or paragraphs laid out anew: a view at its end stays there.
    if (following_ && bar_->value() != maximum) SetValue(maximum);
}

void ScrollPlace::SetValue(int value)
{
    setting_ = true;
    bar_->setValue(value);
    setting_ = false;
}
