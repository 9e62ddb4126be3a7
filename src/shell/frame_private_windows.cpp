// The frame's private-window operations: making private windows on request,
// the user-side opener and the ignore-partner notification.
#include "shell/main_form.h"

#include "chat/private_window.h"
#include "shell/child_frame.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

// activate: the user asked for it, so it comes to the front at once. A window
// made for a received line is shown without taking the front; the line's
// handler brings it there. Each activation re-lays the title bar of every
// other child window, and a flood of new partners would pay that for every
// window it makes, not only for the one that ends up in front.
TForm3* TMainForm::MakePrivateWindow(const QString& nick, bool activate)
{
    auto* w = new TForm3;
    w->titleid->setText(nick);
    w->SetConnection(&IdTCPClient1);
    w->SetFrame(this);
    w->SetOwnNick(CurrentNick());
    // Indexed by its title, from the moment it has one.
    connect(w, &QWidget::windowTitleChanged, this, [this, w] { IndexPrivateWindow(w); });
    // A closed window is found no more, though it is destroyed a moment later.
    connect(w, &TForm3::Closed, this, [this, w] {
        UnindexPrivateWindow(w);
        // It may be destroyed after the frame: nothing more of it comes here.
        disconnect(w, &QWidget::windowTitleChanged, this, nullptr);
        disconnect(w, &QObject::destroyed, this, nullptr);
    });
    connect(w, &QObject::destroyed, this, [this](QObject* gone) { UnindexPrivateWindow(gone); });
    // Queued: the window closes itself right after asking.
    connect(w, &TForm3::IgnorePartner, this, &TMainForm::IgnorePartnerNotification, Qt::QueuedConnection);
    // Made inside the area, so that it takes the frame's icon instead of
    // loading a picture of its own.
    auto* sub = new ChildFrame(mdiArea_);
    // Sized before it holds the window: each change of size or content makes
    // the title bar fit its text anew, which takes a text layout each time.
    sub->resize(TForm3::kWidth, TForm3::kHeight);
    sub->setWidget(w);
    // A frame that is disabled is shown without being activated. Only the
    // frame's own flag, for the moment it is shown: disabling it the usual
    // way tells each widget inside, twice.
    if (!activate) sub->setAttribute(Qt::WA_Disabled);
    AddChildWindow(sub, [w](QMdiSubWindow*) { w->ApplyDefaultSize(); });
    sub->setAttribute(Qt::WA_Disabled, false);
    // Titled last: the frame fits its title to the title bar on every change
    // of its size, content or visibility, a text layout each time, while a
    // frame without a title has nothing to fit.
    w->SetTitle(nick);
    if (activate && mdiArea_->activeSubWindow() != sub) BringToFront(w);
    return w;
}

TForm3* TMainForm::OpenPrivateWindowRequest()
{
    const QString nick = PendingPrivateNick();
    if (nick.isEmpty()) return nullptr;
    return MakePrivateWindow(nick, false);
}

// Callers pass the nick as it should be the title: a menu caption has its
// accelerator "&"s removed first.
TForm3* TMainForm::OpenPrivateWindowFromUser(const QString& nick)
{
    if (nick.isEmpty()) return nullptr;
    for (QWidget* child : PrivateWindowsNamed(nick))
        if (child->windowTitle() == nick) {
            BringToFront(child);
            return qobject_cast<TForm3*>(child);
        }
    for (QWidget* child : ChildWindows())
        if (!qobject_cast<TForm3*>(child) && child->windowTitle() == nick) {
            BringToFront(child);
            return nullptr;
        }
    return MakePrivateWindow(nick, true);
}

void TMainForm::IgnorePartnerNotification(const QString& nick)
{
    IgnoreForGood(nick, this);
}
