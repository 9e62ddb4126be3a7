#include "shell/main_window.h"

#include "chat/private_window.h"
#include "chat/room_window.h"
#include "common/user_data_folder.h"
#include "common/wire_text.h"
#include "shell/about_box.h"
#include "shell/child_windows.h"
#include "shell/connection_keeper.h"
#include "shell/invitation_prompts.h"
#include "shell/login_dialog.h"
#include "shell/history_keeper.h"
#include "shell/paint_pacer.h"
#include "shell/user_lists.h"
#include "side/room_list_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMutexLocker>

#include <chrono>
#include <utility>

namespace {

// The most an exit waits for the server to take "quit" and hang up.
constexpr std::chrono::milliseconds kExitWait{1000};

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    lifecycle_ = std::make_unique<ConnectionLifecycle>(*this, connection_, this);
    connect(lifecycle_.get(), &ConnectionLifecycle::ConnectedLookDue, this, &MainWindow::ApplyConnectedLook);
    connect(lifecycle_.get(), &ConnectionLifecycle::DisconnectedLookDue, this, [this] {
        ApplyDisconnectedLook();
        roomList_->ClearRows();
        roomList_->ForgetServer();
    });
    pacer_ = new PaintPacer(this, [this] { return lifecycle_->LinesWaiting(); });
    BuildWindow();
    BuildKeeping();
    InstallTypedCommandHelpers();
    invitations_ = new InvitationPrompts(*this, this);
    InstallHistory();
    SelectFirstServer();
}

MainWindow::~MainWindow()
{
    delete std::exchange(keeper_, nullptr);  // a reconnect under way is called off while the frame is whole
    lifecycle_->Teardown();
    // The child windows ask the frame for its connection and lists while they
    // go (activation changes): they go while the frame is still whole.
    if (mdiArea_) QObject::disconnect(mdiArea_, nullptr, this, nullptr);
    windows_->CloseAll();
}

void MainWindow::SelectFirstServer() { serverBox_->setCurrentIndex(0); }

QString MainWindow::ServerText() const { return serverBox_->currentText(); }

QString MainWindow::CurrentNick() const
{
    QMutexLocker lock(&sharedLock_);
    return currentNick_;
}

void MainWindow::SetCurrentNick(const QString& nick)
{
    QMutexLocker lock(&sharedLock_);
    currentNick_ = nick;
    accountNick_ = nick;
}

void MainWindow::FollowOwnRename(const QString& nick)
{
    QMutexLocker lock(&sharedLock_);
    currentNick_ = nick;
}

QString MainWindow::PendingPrivateNick() const
{
    QMutexLocker lock(&sharedLock_);
    return pendingPrivateNick_;
}

void MainWindow::SetPendingPrivateNick(const QString& nick)
{
    QMutexLocker lock(&sharedLock_);
    pendingPrivateNick_ = nick;
}

QString MainWindow::WhoPurpose() const
{
    QMutexLocker lock(&sharedLock_);
    return whoPurpose_;
}

void MainWindow::SetWhoPurpose(const QString& purpose)
{
    QMutexLocker lock(&sharedLock_);
    whoPurpose_ = purpose;
}

QString MainWindow::AccountFolder() const
{
    QString nick;
    {
        QMutexLocker lock(&sharedLock_);
        nick = accountNick_;
    }
    return UserDataFolder(FromWire(connection_.Host()), nick);
}

QStringList MainWindow::IgnoreList() const { return lists_->IgnoreList(); }

void MainWindow::ChangeIgnoreList(const std::function<void(IgnoreEntries&)>& change)
{
    lists_->ChangeIgnoreList(change);
}

bool MainWindow::IsIgnored(const QString& nick) const { return lists_->IsIgnored(nick); }

bool MainWindow::IgnoreForGood(const QString& nick, QWidget* asker) { return lists_->IgnoreForGood(nick, asker); }

void MainWindow::ReloadFavoritesNotification() { lists_->ReloadFavoritesSoon(); }

void MainWindow::ReloadBuddiesNotification() { lists_->ReloadBuddiesSoon(); }

void MainWindow::AppendLog(const QString& line)
{
    roomList_->AppendLogLine(line);
    history_->KeepLogLines({line});
}

void MainWindow::AppendLogLines(const QStringList& lines)
{
    roomList_->AppendLogLines(lines);
    history_->KeepLogLines(lines);
}

QWidget* MainWindow::RoomListPane() const { return roomList_; }

QList<QWidget*> MainWindow::ChildWindows() const { return windows_->All(); }

QList<QWidget*> MainWindow::PrivateWindowsNamed(const QString& partner) const
{
    return windows_->PrivateWindowsNamed(partner);
}

QWidget* MainWindow::CurrentChild() const { return windows_->Current(); }

bool MainWindow::IsActiveChild(const QWidget* child) const { return windows_->IsActive(child); }

void MainWindow::BringToFront(QWidget* child) { windows_->BringToFront(child); }

RoomWindow* MainWindow::NewRoomWindow() { return windows_->NewRoom(); }

RoomWindow* MainWindow::OpenRoomWindow(const QString& room, const std::string& wireName)
{
    return windows_->OpenRoom(room, wireName);
}

QWidget* MainWindow::ShowRoom(const QString& room, const std::string& wireName)
{
    return windows_->ShowRoom(room, wireName);
}

PrivateWindow* MainWindow::OpenPrivateWindowRequest()
{
    const QString nick = PendingPrivateNick();
    return nick.isEmpty() ? nullptr : windows_->MakePrivate(nick, false);
}

PrivateWindow* MainWindow::OpenPrivateWindowFromUser(const QString& nick) { return windows_->ShowPrivate(nick); }

void MainWindow::InvitationNotification(const QString& inviter, const QString& channel)
{
    invitations_->ShowSoon(inviter, channel);
}

AboutBox* MainWindow::AboutDialog()
{
    if (!aboutBox_) aboutBox_ = new AboutBox(this);
    return aboutBox_;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A login dialog is open, perhaps with an exchange (its own or its
    // registration dialog's) waiting on the server: that is called off and
    // the dialogs close first; the frame follows as soon as they have gone.
    bool dialogOpen = false;
    for (LoginDialog* dialog : findChildren<LoginDialog*>(Qt::FindDirectChildrenOnly)) {
        if (!dialog->isVisible() && !dialog->Busy()) continue;
        dialogOpen = true;
        connect(dialog, &QDialog::finished, this, &QWidget::close,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        dialog->Abandon();
    }
    if (dialogOpen) {
        event->ignore();
        return;
    }
    // The user asked to leave: the windows go at once, while the server is
    // given a moment to take "quit".
    hide();
    keeper_->Stop();  // an exit never reconnects
    lifecycle_->Close(kExitWait);
    event->accept();
}
