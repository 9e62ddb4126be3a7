#include "shell/child_windows.h"

#include "chat/nick_list_view.h"
#include "chat/private_window.h"
#include "chat/room_window.h"
#include "model/chat_frame.h"
#include "common/wire_text.h"
#include "shell/product_info.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <algorithm>

namespace {

// Marks a window that is closing: the area activates another on its own,
// which is not the user's choice of the window before it.
constexpr char kLastActive[] = "lastActive";
// The geometry a window first shown maximised comes back to.
constexpr char kRestored[] = "restoredGeometry";

// Watches a window's frame for its close.
class CloseWatch : public QObject {
public:
    CloseWatch(QObject* parent, std::function<void(QMdiSubWindow*)> closing)
        : QObject(parent), closing_(std::move(closing))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) closing_(static_cast<QMdiSubWindow*>(watched));
        return false;
    }

private:
    std::function<void(QMdiSubWindow*)> closing_;
};

}  // namespace

ChildWindowRegistry::ChildWindowRegistry(QMdiArea* area, ChatFrame& frame, QMainWindow* owner,
                                         std::function<void(bool)> windowsChanged)
    : QObject(owner), area_(area), frame_(frame), owner_(owner), windowsChanged_(std::move(windowsChanged))
{
    connect(area_, &QMdiArea::subWindowActivated, this, &ChildWindowRegistry::Activated);
    closeWatch_ = new CloseWatch(this, [this](QMdiSubWindow* sub) { Closing(sub); });
}

void ChildWindowRegistry::CloseAll()
{
    // The child windows' last activation signals must not reach a frame that
    // is no longer one.
    QObject::disconnect(area_, nullptr, this, nullptr);
    QObject::disconnect(area_, nullptr, owner_, nullptr);
    for (QMdiSubWindow* sub : area_->subWindowList()) {
        QObject::disconnect(sub, nullptr, this, nullptr);
        QObject::disconnect(sub, nullptr, owner_, nullptr);
    }
    // The active window last: when the active window goes, the area
    // activates the next one, which takes as long as the windows open.
    qDeleteAll(area_->subWindowList(QMdiArea::ActivationHistoryOrder));
    // Private windows that outlive this (closed ones awaiting their
    // deletion) must not reach an index that is gone.
    for (auto w = privateKeyOf_.keyBegin(); w != privateKeyOf_.keyEnd(); ++w)
        QObject::disconnect(*w, nullptr, this, nullptr);
}

QList<QWidget*> ChildWindowRegistry::All() const
{
    QList<QWidget*> out;
    for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::CreationOrder))
        if (sub->widget()) out << sub->widget();
    return out;
}

QMdiSubWindow* ChildWindowRegistry::Add(QWidget* child, const std::function<void(QMdiSubWindow*)>& prepare,
                                        QSize restoredSize)
{
    QMdiSubWindow* sub = nullptr;
    // Read once: walking thousands of windows is the costly part of adding one.
    const ChildFrame::Survey others = ChildFrame::SurveyOf(area_, child);
    if (auto* frame = qobject_cast<ChildFrame*>(child)) {
        frame->AddToArea(others.anyPinned);
        sub = frame;
    } else {
        sub = area_->addSubWindow(child);
        ChildFrame::DropCloseKeys(sub);
    }
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->installEventFilter(closeWatch_);
    connect(sub, &QObject::destroyed, this,
            [this] { windowsChanged_(!area_->subWindowList().isEmpty()); }, Qt::QueuedConnection);
    if (child != sub) child->show();
    if (prepare) {
        // Sized and placed while still hidden: moving a window that is shown
        // repaints it and everything it uncovers, which a flood of new
        // windows would pay once per window.
        prepare(sub);
        Place(sub, others, restoredSize);
    } else {
        sub->show();
    }
    windowsChanged_(true);
    // The frame's caption follows a maximised child's title, also when the
    // title becomes empty (a room window that left its room).
    connect(child, &QWidget::windowTitleChanged, sub, [this, sub](const QString& title) {
        // The sub-window keeps the last title that was not empty, and puts it
        // back into the frame's caption: empty it first.
        if (!title.isEmpty()) return;
        sub->setWindowTitle(QString());
        if (sub->isMaximized() && area_->activeSubWindow() == sub) owner_->setWindowTitle(product::kName);
    });
    return sub;
}

void ChildWindowRegistry::Place(QMdiSubWindow* sub, const ChildFrame::Survey& others, QSize restoredSize)
{
    if (sub->isMaximized() || others.anyMaximised) {
        // Restored, it comes back at the size it was given and where a
        // window opened beside the others would be.
        const QRect restored(QPoint(0, 0), restoredSize.isValid() ? restoredSize : sub->size());
        sub->showMaximized();
        sub->setProperty(kRestored, restored);
        // The area takes the size it restores to when the window is first
        // shown, maximised already: the size given is put back once the
        // area is done restoring.
        QObject::connect(sub, &QMdiSubWindow::windowStateChanged, sub,
                         [sub](Qt::WindowStates before, Qt::WindowStates now) {
                             if (!(before & Qt::WindowMaximized) || (now & (Qt::WindowMaximized | Qt::WindowMinimized)))
                                 return;
                             QTimer::singleShot(0, sub, [sub] {
                                 const QRect r = sub->property(kRestored).toRect();
                                 sub->setProperty(kRestored, QVariant());
                                 if (r.isValid() && !(sub->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
                                     sub->setGeometry(r);
                             });
                         });
        return;
    }
    // Cascade: each new window one title bar further down and right, starting
    // again at the top left before it would reach past the area's edge.
    constexpr int kStep = 24;
    const QSize area = area_->viewport()->size();
    const QSize size = sub->size();
    const int room = std::min(area.width() - size.width(), area.height() - size.height());
    const int positions = room < 0 ? 1 : room / kStep + 1;
    const int at = (others.shown % positions) * kStep;
    sub->move(at, at);
    // The area places each window it is given by weighing its overlap with
    // every window that has a position of its own, which grows with the
    // square of the windows open. The frame places its windows itself: the
    // area need not weigh this one for the next.
    sub->setAttribute(Qt::WA_Moved, false);
    if (!sub->isVisible()) sub->show();
}

QWidget* ChildWindowRegistry::Current() const
{
    const QMdiSubWindow* active = area_->activeSubWindow();
    return active ? active->widget() : nullptr;
}

bool ChildWindowRegistry::IsActive(const QWidget* child) const
{
    const QMdiSubWindow* active = area_->activeSubWindow();
    return active && active->widget() == child && owner_->isActiveWindow();
}

void ChildWindowRegistry::BringToFront(QWidget* child)
{
    auto* sub = child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
    if (!sub || sub->mdiArea() != area_ || sub->widget() != child) return;
    if (sub->isMinimized()) sub->showNormal();  // a maximised window stays maximised
    ChildFrame::BringToFront(area_, sub);
}

void ChildWindowRegistry::Activated(QMdiSubWindow* sub)
{
    if (!sub || property(kLastActive).isValid()) return;
    // Most recent last, each window once.
    activated_.removeAll(sub);
    activated_.removeAll(nullptr);
    activated_ << sub;
}

void ChildWindowRegistry::Closing(QMdiSubWindow* sub)
{
    ++closing_;
    QMdiSubWindow* before = nullptr;
    if (sub == area_->activeSubWindow())
        for (auto at = activated_.crbegin(); at != activated_.crend() && !before; ++at)
            if (*at && *at != sub && (*at)->isVisible()) before = *at;
    if (!before) {
        QTimer::singleShot(0, this, [this] { --closing_; });
        return;
    }
    // The area activates a window of its own choosing as this one goes; the
    // one active before this takes the front once it has gone.
    setProperty(kLastActive, true);
    QPointer<QMdiSubWindow> closing(sub);
    QPointer<QMdiSubWindow> next(before);
    QTimer::singleShot(0, this, [this, closing, next] {
        setProperty(kLastActive, QVariant());
        if ((!closing || !closing->isVisible()) && next && next->widget())  // unless it stayed open
            BringToFront(next->widget());
        --closing_;
    });
}

QString ChildWindowRegistry::RoomKey(const QString& room) { return TrimControls(room).toCaseFolded(); }

RoomWindow* ChildWindowRegistry::FindRoom(const QString& room) const
{
    const QString wanted = RoomKey(room);
    if (wanted.isEmpty()) return nullptr;
    for (QWidget* child : All())
        if (auto* window = qobject_cast<RoomWindow*>(child); window && RoomKey(window->Title()) == wanted)
            return window;
    return nullptr;
}

RoomWindow* ChildWindowRegistry::NewRoom()
{
    auto* window = new RoomWindow(&frame_);
    window->SetTitle(QStringLiteral("No Room"));
    Add(window, [window](QMdiSubWindow*) { window->PlaceInFrame(); }, QSize(RoomWindow::kWidth, RoomWindow::kHeight));
    return window;
}

RoomWindow* ChildWindowRegistry::OpenRoom(const QString& room, const std::string& wireName)
{
    auto* window = new RoomWindow(&frame_);
    Add(window, [window](QMdiSubWindow*) { window->PlaceInFrame(); }, QSize(RoomWindow::kWidth, RoomWindow::kHeight));
    window->SetTitle(room);
    window->SetRoomOnWire(wireName);
    if (opened) opened(window);
    window->Join(window->Title());
    return window;
}

RoomWindow* ChildWindowRegistry::ShowRoom(const QString& room, const std::string& wireName)
{
    if (RoomKey(room).isEmpty()) return nullptr;
    RoomWindow* open = FindRoom(room);
    if (!open) return OpenRoom(room, wireName);
    BringToFront(open);
    // In its room once the server listed the user there: a join the server
    // refused leaves the window as it was, without the user in its list.
    const QString own = TrimControls(frame_.CurrentNick());
    const bool listed = open->InRoom() && !own.isEmpty() &&
                        (open->NickList().FindExact(own) || open->NickList().FindExact(u'@' + own));
    if (!listed)
        open->Join(open->Title());
    return open;
}

QList<QWidget*> ChildWindowRegistry::PrivateWindowsNamed(const QString& partner) const
{
    QList<QWidget*> out;
    for (const QObject* w : privateByName_.value(TrimControls(partner).toCaseFolded()))
        out << static_cast<PrivateWindow*>(const_cast<QObject*>(w));
    return out;
}

void ChildWindowRegistry::Index(PrivateWindow* w)
{
    PrivateKey key{TrimControls(w->Title()).toCaseFolded(), 0};
    const QObject* object = w;
    auto known = privateKeyOf_.find(object);
    if (known != privateKeyOf_.end()) {
        if (known->name == key.name) return;
        key.made = known->made;
        Unindex(object);
    } else {
        key.made = ++privateMade_;
    }
    // Oldest first: a window renamed into a name that others have keeps its
    // place among them by when it was made.
    QList<const QObject*>& named = privateByName_[key.name];
    auto at = named.begin();
    while (at != named.end() && privateKeyOf_.value(*at).made < key.made) ++at;
    named.insert(at, object);
    privateKeyOf_.insert(object, key);
}

void ChildWindowRegistry::Unindex(const QObject* w)
{
    const auto known = privateKeyOf_.find(w);
    if (known == privateKeyOf_.end()) return;
    auto named = privateByName_.find(known->name);
    if (named != privateByName_.end()) {
        named->removeOne(w);
        if (named->isEmpty()) privateByName_.erase(named);
    }
    privateKeyOf_.erase(known);
}

// activate: the user asked for it, so it comes to the front at once. A window
// made for a received line is shown without taking the front; the line's
// handler brings it there. Each activation re-lays the title bar of every
// other child window, and a flood of new partners would pay that for every
// window it makes, not only for the one that ends up in front.
PrivateWindow* ChildWindowRegistry::MakePrivate(const QString& nick, bool activate)
{
    auto* w = new PrivateWindow;
    w->SetFrame(&frame_);  // its lines take the frame's road
    w->SetOwnNick(frame_.CurrentNick());
    // Indexed by its title, from the moment it has one.
    connect(w, &QWidget::windowTitleChanged, this, [this, w] { Index(w); });
    // A closed window is found no more, though it is destroyed a moment later.
    connect(w, &PrivateWindow::Closed, this, [this, w] {
        Unindex(w);
        // It may be destroyed after the frame: nothing more of it comes here.
        disconnect(w, &QWidget::windowTitleChanged, this, nullptr);
        disconnect(w, &QObject::destroyed, this, nullptr);
    });
    connect(w, &QObject::destroyed, this, [this](QObject* gone) { Unindex(gone); });
    // Queued: the window closes itself right after asking.
    connect(w, &PrivateWindow::IgnorePartner, this, &ChildWindowRegistry::IgnorePartner, Qt::QueuedConnection);
    // Made inside the area, so that it takes the frame's icon instead of
    // loading a picture of its own.
    auto* sub = new ChildFrame(area_);
    // Sized before it holds the window: each change of size or content makes
    // the title bar fit its text anew, which takes a text layout each time.
    sub->resize(PrivateWindow::kWidth, PrivateWindow::kHeight);
    sub->setWidget(w);
    // A frame that is disabled is shown without being activated. Only the
    // frame's own flag, for the moment it is shown: disabling it the usual
    // way tells each widget inside, twice.
    if (!activate) sub->setAttribute(Qt::WA_Disabled);
    Add(sub, [w](QMdiSubWindow*) { w->ApplyDefaultSize(); });
    sub->setAttribute(Qt::WA_Disabled, false);
    // Titled last: the frame fits its title to the title bar on every change
    // of its size, content or visibility, a text layout each time, while a
    // frame without a title has nothing to fit.
    w->SetTitle(nick);
    if (opened) opened(w);
    if (activate && area_->activeSubWindow() != sub) BringToFront(w);
    return w;
}

// Callers pass the nick as it should be the title: a menu caption has its
// accelerator "&"s removed first.
PrivateWindow* ChildWindowRegistry::ShowPrivate(const QString& nick)
{
    if (nick.isEmpty()) return nullptr;
    for (QWidget* child : PrivateWindowsNamed(nick))
        if (child->windowTitle() == nick) {
            BringToFront(child);
            return qobject_cast<PrivateWindow*>(child);
        }
    for (QWidget* child : All())
        if (!qobject_cast<PrivateWindow*>(child) && child->windowTitle() == nick) {
            BringToFront(child);
            return nullptr;
        }
    return MakePrivate(nick, true);
}
