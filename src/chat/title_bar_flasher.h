#pragma once

#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>

#include <functional>

// The attention flashing of a child window's title bar, beating with the
// program's one AttentionFlasher.
// While it runs, the title bar switches between its own look and the active
// look at each tick, until the window becomes the active one.
class TitleBarFlasher : public QObject {
    Q_OBJECT

public:
    // isActive tells whether the window is the active child (no flashing then).
    TitleBarFlasher(std::function<bool()> isActive, QObject* parent);

    // The child-window frame whose title bar flashes; false when it was
    // watched already.
    bool Watch(QMdiSubWindow* frame);
    // Starts flashing unless the window is the active one.
    void Start();
    void Stop();
    // The window became the active one: the next flashing starts dark.
    void Rest() { phase_ = 0; }
    bool IsFlashing() const;
    // Which look the title bar has now: true for the active look.
    bool IsLit() const { return lit_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onAttentionTick();
    void PaintLitLook();
    const QObject* Window() const;

    std::function<bool()> isActive_;
    QPointer<QMdiSubWindow> frame_;
    int phase_ = 0;
    bool lit_ = false;
    bool painting_ = false;
};
