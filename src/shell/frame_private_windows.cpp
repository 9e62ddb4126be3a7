// The frame's private-window operations: making private windows on request,
// the user-side opener and the ignore-partner notification.
#include "shell/main_form.h"

#include "chat/private_window.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// activate: the user asked for it, so it comes to the front at once. A window
// made for a received line is shown without taking the front; the line's
// handler brings it there. Each activation re-lays the title bar of every
// other child window, and a flood of new partners would pay that for every
// window it makes, not only for the one that ends up in front.
TForm3* MakePrivateWindow(TMainForm& frame, const QString& nick, bool activate)
{
    auto* w = new TForm3;
    w->SetTitle(nick);
    w->titleid->setText(nick);
    w->SetConnection(&frame.IdTCPClient1);
    w->SetOwnNick(frame.CurrentNick());
    // Queued: the window closes itself right after asking.
    QObject::connect(w, &TForm3::IgnorePartner, &frame, &TMainForm::IgnorePartnerNotification, Qt::QueuedConnection);
    // Made inside the area, so that it takes the frame's icon instead of
    // loading a picture of its own.
    auto* sub = new QMdiSubWindow(frame.MdiArea());
    sub->setWidget(w);
    sub->setEnabled(activate);  // a disabled child is shown without being activated
    frame.AddChildWindow(sub);
    sub->setEnabled(true);
    w->ApplyDefaultSize();
    frame.PlaceNewChild(sub);
    if (activate && frame.MdiArea()->activeSubWindow() != sub) frame.BringToFront(w);
    return w;
}

}  // namespace

TForm3* TMainForm::OpenPrivateWindowRequest()
{
    const QString nick = PendingPrivateNick();
    if (nick.isEmpty()) return nullptr;
    return MakePrivateWindow(*this, nick, false);
}

// Callers pass the nick as it should be the title: a menu caption has its
// accelerator "&"s removed first.
TForm3* TMainForm::OpenPrivateWindowFromUser(const QString& nick)
{
    if (nick.isEmpty()) return nullptr;
    for (QWidget* child : ChildWindows())
        if (child->windowTitle() == nick) {
            BringToFront(child);
            return qobject_cast<TForm3*>(child);
        }
    return MakePrivateWindow(*this, nick, true);
}

void TMainForm::IgnorePartnerNotification(const QString& nick)
{
    IgnoreForGood(nick, this);
}
