#include "shell/frame_layout.h"

#include "common/program_settings.h"
#include "shell/main_window.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <algorithm>

namespace {

// How much of the top edge must lie on a screen for the frame to be grabbed
// and moved there.
constexpr int kGripWidth = 100;
constexpr int kGripHeight = 32;

const QString kGeometryKey = QStringLiteral("frame/geometry");
const QString kMaximisedKey = QStringLiteral("frame/maximised");
const QString kServerHostKey = QStringLiteral("server/host");

bool Reachable(const QRect& r, const QRect& screen)
{
    const QRect grip = QRect(r.left(), r.top(), r.width(), std::min(kGripHeight, r.height())) & screen;
    return !grip.isEmpty() && grip.top() == r.top() && grip.height() == std::min(kGripHeight, r.height()) &&
           grip.width() >= std::min(kGripWidth, r.width());
}

qint64 OverlapArea(const QRect& a, const QRect& b)
{
    const QRect both = a & b;
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

// r moved into screen, shrunk first where it is larger.
QRect MovedInto(const QRect& r, const QRect& screen)
{
    QRect placed(r.topLeft(), r.size().boundedTo(screen.size()));
    placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() - placed.height() + 1));
    return placed;
}

QList<QRect> AvailableScreens()
{
    QList<QRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) areas << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary) areas << screen->availableGeometry();
    return areas;
}

ServerChoice CurrentServerChoice(const MainWindow& frame)
{
    return ServerChoice{frame.ServerText()};
}

void ApplyServerChoice(MainWindow& frame, const ServerChoice& server)
{
    if (!server.host.trimmed().isEmpty()) frame.SelectServer(server.host);
}

// Writes the frame's layout when it closes.
class LayoutKeeper : public QObject {
public:
    explicit LayoutKeeper(MainWindow& frame) : QObject(&frame), frame_(frame) { frame.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &frame_ && event->type() == QEvent::Close) WriteFrameLayout(CurrentFrameLayout(frame_));
        return false;
    }

private:
    MainWindow& frame_;
};

}  // namespace

FrameLayout RestoredLayout(const FrameLayout& saved, const QList<QRect>& screens)
{
    FrameLayout restored = saved;
    if (screens.isEmpty()) return restored;
    const QRect& r = saved.geometry;
    if (std::any_of(screens.cbegin(), screens.cend(), [&r](const QRect& s) { return Reachable(r, s); }))
        return restored;
    const QRect* best = &screens.first();
    qint64 bestArea = 0;
    for (const QRect& screen : screens) {
        const qint64 area = OverlapArea(r, screen);
        if (area > bestArea) {
            bestArea = area;
            best = &screen;
        }
    }
    restored.geometry = MovedInto(r, *best);
    return restored;
}

QString FrameLayoutFile()
{
    return ProgramSettingsFile();
}

std::optional<FrameLayout> ReadFrameLayout()
{
    const QSettings settings = ProgramSettings();
    FrameLayout layout;
    layout.geometry = settings.value(kGeometryKey).toRect();
    if (!layout.geometry.isValid()) return std::nullopt;
    layout.maximised = settings.value(kMaximisedKey, false).toBool();
    layout.server.host = settings.value(kServerHostKey).toString();
    return layout;
}

void WriteFrameLayout(const FrameLayout& layout)
{
    QSettings settings = ProgramSettings();
    settings.setValue(kGeometryKey, layout.geometry);
    settings.setValue(kMaximisedKey, layout.maximised);
    settings.setValue(kServerHostKey, layout.server.host);
}

void ForgetFrameLayout()
{
    bool nothingElse = false;
    {
        QSettings settings = ProgramSettings();
        for (const QString& key : {kGeometryKey, kMaximisedKey, kServerHostKey}) settings.remove(key);
        settings.sync();
        nothingElse = settings.allKeys().isEmpty();
    }
    // The TLS switch's hosts stay; a file left with nothing in it goes.
    if (nothingElse) QFile::remove(FrameLayoutFile());
}

FrameLayout CurrentFrameLayout(const MainWindow& frame)
{
    FrameLayout layout;
    layout.geometry = frame.isMaximized() || frame.isFullScreen() ? frame.normalGeometry() : frame.geometry();
    layout.maximised = frame.isMaximized();
    layout.server = CurrentServerChoice(frame);
    return layout;
}

void RestoreFrameLayout(MainWindow& frame, RememberedServer server)
{
    const std::optional<FrameLayout> saved = ReadFrameLayout();
    if (!saved) return;
    const FrameLayout layout = RestoredLayout(*saved, AvailableScreens());
    // Set as the normal geometry first, so that un-maximising comes back to it.
    frame.setWindowState(frame.windowState() & ~Qt::WindowMaximized);
    frame.setGeometry(layout.geometry);
    if (layout.maximised) frame.setWindowState(frame.windowState() | Qt::WindowMaximized);
    if (server == RememberedServer::Select) ApplyServerChoice(frame, layout.server);
}

void RememberFrameLayoutAtClose(MainWindow& frame)
{
    new LayoutKeeper(frame);
}
