// The frame's private-window operations: making private windows on request,
// the user-side opener and the ignore-partner notification.
#include "shell/main_form.h"

#include "chat/private_window.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

TForm3* MakePrivateWindow(TMainForm& frame, const QString& nick)
{
    auto* w = new TForm3;
    w->SetTitle(nick);
    w->titleid->setText(nick);
    w->SetConnection(&frame.IdTCPClient1);
    w->SetOwnNick(frame.CurrentNick());
    // Queued: the window closes itself right after asking.
    QObject::connect(w, &TForm3::IgnorePartner, &frame, &TMainForm::IgnorePartnerNotification, Qt::QueuedConnection);
    QMdiSubWindow* sub = frame.AddChildWindow(w);
    w->ApplyDefaultSize();
    // Showing it normally makes it the active child already.
    if (frame.MdiArea()->activeSubWindow() != sub) frame.BringToFront(w);
    return w;
}

}  // namespace

TForm3* TMainForm::OpenPrivateWindowRequest()
{
    const QString nick = PendingPrivateNick();
    if (nick.isEmpty()) return nullptr;
    return MakePrivateWindow(*this, nick);
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
    return MakePrivateWindow(*this, nick);
}

void TMainForm::IgnorePartnerNotification(const QString& nick)
{
    if (nick.isEmpty()) return;
    QStringList list = IgnoreList();
    if (list.contains(nick)) return;
    list << nick;
    SetIgnoreList(list);
}
