#include "chat/title_bar_flasher.h"

#include "chat/attention_flasher.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>

TitleBarFlasher::TitleBarFlasher(std::function<bool()> isActive, QObject* parent)
    : QObject(parent), isActive_(std::move(isActive))
{
    setObjectName(QStringLiteral("titleBarFlasher"));
}

// The flashing is registered under the window (this flasher's parent): many
// flashing windows share the one timer of AttentionFlasher.
const QObject* TitleBarFlasher::Window() const { return parent() ? parent() : this; }

bool TitleBarFlasher::Watch(QMdiSubWindow* frame)
{
    if (frame_ == frame)
        return false;
    frame_ = frame;
    frame->installEventFilter(this);
    return true;
}

void TitleBarFlasher::Start()
{
    if (isActive_())
        return;
    if (!IsFlashing())
        AttentionFlasher::Shared().Start(const_cast<QObject*>(Window()), [this] { onAttentionTick(); });
}

void TitleBarFlasher::Stop() { AttentionFlasher::Shared().Stop(Window()); }

bool TitleBarFlasher::IsFlashing() const { return AttentionFlasher::Shared().Flashing(Window()); }

void TitleBarFlasher::onAttentionTick()
{
    if (isActive_()) {
        Stop();
        phase_ = 0;
        if (lit_) {
            lit_ = false;
            if (frame_)
                frame_->update();
        }
        return;
    }
    lit_ = phase_ == 1;
    phase_ = 1 - phase_;
    // A frame nobody can see keeps its phase and is painted when it shows.
    if (frame_ && AttentionFlasher::ShowsOnScreen(frame_))
        frame_->update();
}

bool TitleBarFlasher::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: the frame passes its own teardown events through here,
    // and a frame being torn down is no longer a sub-window to compare with.
    if (event->type() == QEvent::Paint && lit_ && !painting_ && watched == frame_) {
        // The frame and title bar first, as always; then the title bar once
        // more in the active look on top.
        painting_ = true;
        static_cast<QObject*>(frame_.data())->event(event);
        painting_ = false;
        PaintLitLook();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TitleBarFlasher::PaintLitLook()
{
    if (!frame_ || frame_->isMaximized())
        return;
    QStyle* style = frame_->style();
    QStyleOptionTitleBar option;
    option.initFrom(frame_);
    option.state |= QStyle::State_Active;
    option.titleBarState = static_cast<int>(frame_->windowState()) | QStyle::State_Active;
    option.titleBarFlags = frame_->windowFlags();
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.icon = frame_->windowIcon();
    option.rect = QRect(0, 0, frame_->width(), style->pixelMetric(QStyle::PM_TitleBarHeight, &option, frame_));

    QPainter painter(frame_);
    painter.setFont(QApplication::font("QMdiSubWindowTitleBar"));
    const QRect label = style->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, frame_);
    option.text = painter.fontMetrics().elidedText(frame_->windowTitle(), Qt::ElideRight, label.width());
    style->drawComplexControl(QStyle::CC_TitleBar, &option, &painter, frame_);
}
