#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

// Spaces out the repaints of one top-level window while busy() holds (the
// drain still has lines waiting). Each repaint of the frame works out which
// parts of every child window are covered by the others, so with thousands
// of windows opened by a flood, a repaint after every short drain slice
// costs more than the flood's own work. While busy, a repaint waits until
// the window has had a pause of four times the last repaint's length (at
// least kMinPauseMs, at most kMaxPauseMs) since it; the last one always
// follows. The window keeps taking input as usual; when the drain is idle
// every repaint goes through at once.
class PaintPacer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinPauseMs = 40;
    static constexpr int kMaxPauseMs = 200;

    PaintPacer(QWidget* window, std::function<bool()> busy);

    // The next repaint goes through at once, busy or not (a change the user
    // must see now, such as the connection's look); one held back is
    // asked for again now.
    void PaintSoon();

    // Repaints held back so far (tests).
    int HeldBack() const { return heldBack_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int PauseMs() const;
    void RepaintNow();

    QWidget* window_;
    std::function<bool()> busy_;
    QElapsedTimer sincePaint_;  // since the end of the last repaint
    qint64 paintMs_ = 0;        // how long the last repaint took
    QTimer later_;
    bool soon_ = false;
    int heldBack_ = 0;
};
