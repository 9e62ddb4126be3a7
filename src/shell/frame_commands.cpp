// The frame's side of typed commands and mentions: joining a typed room, the
// away commands, marking a window that named the user, and the find bar of
// the server log.
#include "shell/main_window.h"

#include "chat/find_bar.h"
#include "chat/room_window.h"
#include "shell/desktop_notice.h"
#include "side/room_list_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>

namespace {

const char* const kMentionMark = "talvessaMention";

QMdiSubWindow* SubWindowOf(QWidget* child)
{
    return child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
}

}  // namespace

QWidget* MainWindow::JoinRoom(const QString& room, const QString& key)
{
    for (QWidget* child : ChildWindows()) {
        auto* window = qobject_cast<RoomWindow*>(child);
        if (!window || window->Title().compare(room, Qt::CaseInsensitive) != 0)
            continue;
        if (!window->InRoom())
            window->Join(room, key);
        BringToFront(window);
        return window;
    }
    // The opener's road, with the key for the one join it makes.
    RoomWindow* window = NewRoomWindow();
    window->SetTitle(room);
    window->Join(room, key);
    BringToFront(window);
    return window;
}

void MainWindow::SetAway(const QString& text)
{
    awayLine_->setText(text.isEmpty() ? QStringLiteral("Away") : text);
    onAwayConfirmed();
}

void MainWindow::SetBack()
{
    awayButton_->setChecked(false);
    onAwayClicked();
}

bool MainWindow::MentionMarked(const QWidget* child) { return child && child->property(kMentionMark).toBool(); }

void MainWindow::SetMentionMark(QWidget* child, bool on)
{
    if (!child || MentionMarked(child) == on)
        return;
    child->setProperty(kMentionMark, on);
    if (QMdiSubWindow* sub = SubWindowOf(child))
        sub->setWindowTitle(on ? QStringLiteral("* ") + child->windowTitle() : child->windowTitle());
}

void MainWindow::NoteMention(QWidget* child, const QString& sender, const QString& text)
{
    // A window already marked has called for attention once: a busy room
    // does not call again for every line until the user has looked.
    if (IsActiveChild(child) || MentionMarked(child))
        return;
    SetMentionMark(child, true);
    if (QApplication::activeWindow() != this) {
        QApplication::alert(this);
        ShowDesktopNotice(sender + QStringLiteral(" in ") + child->windowTitle(), text);
    }
}

void MainWindow::InstallTypedCommandHelpers()
{
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (sub && isActiveWindow())
            SetMentionMark(sub->widget(), false);
    });
    new FindBar(roomList_->log_, roomList_);
}

void MainWindow::FrameActivated()
{
    if (QMdiSubWindow* sub = mdiArea_->activeSubWindow())
        SetMentionMark(sub->widget(), false);
}
