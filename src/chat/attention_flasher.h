#pragma once
// The one timer behind the attention flashing of every window: windows
// register with it while they flash, and it beats for all of them at the
// flashing rhythm, so that hundreds of flashing windows cost one timer.
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class QWidget;

// The shared flasher of the program's windows.
class AttentionFlasher : public QObject {
    Q_OBJECT
public:
    // The program's one flasher (made on first use, owned by the application object).
    static AttentionFlasher& Shared();

    // window flashes from now on: beat runs at every beat (timing().flashMs
    // apart) until Stop(window) or until window is destroyed. A window that
    // flashes already keeps its beat.
    void Start(QObject* window, std::function<void()> beat);
    void Stop(const QObject* window);
    bool Flashing(const QObject* window) const;
    // How many windows flash, and whether the timer runs (only while some do).
    int Count() const { return int(windows_.size()); }
    bool Beating() const { return timer_.isActive(); }

    // True when the frame around a window (a sub-window of a multiple-window
    // area) can be seen: shown (minimised in the area it still shows its
    // title bar), not covered by a maximised window of its area, and its
    // top-level window not minimised. Only such a frame needs repainting for
    // a new flashing phase.
    static bool ShowsOnScreen(const QWidget* frame);

private:
    explicit AttentionFlasher(QObject* parent);
    void Beat();

    struct Registration {
        const QObject* window;
        std::function<void()> beat;
        QMetaObject::Connection gone;
    };
    std::vector<Registration> windows_;
    QTimer timer_;
};
