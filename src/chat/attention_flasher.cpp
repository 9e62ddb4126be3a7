#include "chat/attention_flasher.h"

#include "common/timings.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <algorithm>

AttentionFlasher::AttentionFlasher(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("AttentionFlasher"));
    timer_.setObjectName(QStringLiteral("flashTimer"));
    connect(&timer_, &QTimer::timeout, this, &AttentionFlasher::Beat);
}

AttentionFlasher& AttentionFlasher::Shared()
{
    static QPointer<AttentionFlasher> shared;
    if (!shared) shared = new AttentionFlasher(QCoreApplication::instance());
    return *shared;
}

void AttentionFlasher::Start(QObject* window, std::function<void()> beat)
{
    if (Flashing(window)) return;
    const QMetaObject::Connection gone =
        connect(window, &QObject::destroyed, this, [this, window] { Stop(window); });
    windows_.push_back({window, std::move(beat), gone});
    if (!timer_.isActive()) timer_.start(timing().flashMs);
}

void AttentionFlasher::Stop(const QObject* window)
{
    const auto found = std::find_if(windows_.begin(), windows_.end(),
                                    [window](const Registration& f) { return f.window == window; });
    if (found == windows_.end()) return;
    disconnect(found->gone);
    windows_.erase(found);
    if (windows_.empty()) timer_.stop();
}

bool AttentionFlasher::Flashing(const QObject* window) const
{
    return std::any_of(windows_.cbegin(), windows_.cend(), [window](const Registration& f) { return f.window == window; });
}

void AttentionFlasher::Beat()
{
    // A beat may stop its own window's flashing (it became the active one):
    // the list is walked by a copy of who flashed when the beat began.
    std::vector<const QObject*> beating;
    beating.reserve(windows_.size());
    for (const Registration& f : windows_) beating.push_back(f.window);
    for (const QObject* window : beating) {
        const auto found = std::find_if(windows_.begin(), windows_.end(),
                                        [window](const Registration& f) { return f.window == window; });
        if (found == windows_.end()) continue;
        const std::function<void()> beat = found->beat;  // kept while it runs, whatever it stops
        beat();
    }
}

bool AttentionFlasher::ShowsOnScreen(const QWidget* frame)
{
    // A frame minimised in its area still shows its title bar there.
    if (!frame || !frame->isVisible() || frame->window()->isMinimized()) return false;
    const auto* sub = qobject_cast<const QMdiSubWindow*>(frame);
    const QMdiArea* area = sub ? sub->mdiArea() : nullptr;
    if (!area) return true;
    // A maximised window of the area covers all the others; it is the current one.
    const QMdiSubWindow* top = area->currentSubWindow();
    return !top || top == sub || !top->isMaximized();
}
