#include "shell/paint_pacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>

PaintPacer::PaintPacer(QWidget* window, std::function<bool()> busy)
    : QObject(window), window_(window), busy_(std::move(busy))
{
    later_.setSingleShot(true);
    later_.setTimerType(Qt::PreciseTimer);
    connect(&later_, &QTimer::timeout, this, &PaintPacer::RepaintNow);
    window->installEventFilter(this);
}

int PaintPacer::PauseMs() const
{
    return static_cast<int>(std::clamp<qint64>(4 * paintMs_, kMinPauseMs, kMaxPauseMs));
}

bool PaintPacer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_ || event->type() != QEvent::UpdateRequest) return false;
    if (!soon_ && sincePaint_.isValid() && busy_() && sincePaint_.elapsed() < PauseMs()) {
        // Held back: the window's repaint machinery still counts this request
        // as sent and asks for no other, so exactly one request follows, when
        // the pause is over.
        ++heldBack_;
        if (!later_.isActive()) later_.start(static_cast<int>(PauseMs() - sincePaint_.elapsed()));
        return true;
    }
    // This repaint goes through (a held-back one it covers need not follow),
    // handed to the window here so that its length is known.
    later_.stop();
    soon_ = false;
    QElapsedTimer paint;
    paint.start();
    static_cast<QObject*>(window_)->event(event);
    paintMs_ = paint.elapsed();
    sincePaint_.start();
    return true;
}

void PaintPacer::PaintSoon()
{
    soon_ = true;
    if (later_.isActive()) {
        later_.stop();
        RepaintNow();
    }
}

void PaintPacer::RepaintNow()
{
    QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}
