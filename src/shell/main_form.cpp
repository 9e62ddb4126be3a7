#include "shell/main_form.h"

#include "chat/private_window.h"
#include "chat/room_window.h"
#include "common/user_data_folder.h"
#include "common/wire_text.h"
#include "shell/about_box.h"
#include "shell/child_windows.h"
#include "shell/invitation_prompts.h"
#include "shell/login_dialog.h"
#include "shell/paint_pacer.h"
#include "shell/user_lists.h"
#include "side/room_list_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMutexLocker>

#include <chrono>

namespace {

// The most an exit waits for the server to take "quit" and hang up.
constexpr std::chrono::milliseconds kExitWait{1000};

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    lifecycle_ = std::make_unique<ConnectionLifecycle>(
        *this, IdTCPClient1, this,
        ConnectionLifecycle::Looks{[this] { ApplyConnectedLook(); },
                                   [this] {
                                       ApplyDisconnectedLook();
                                       form4_->ClearRows();
                                   }});
    pacer_ = new PaintPacer(this, [this] { return lifecycle_->LinesWaiting(); });
    BuildWindow();
    InstallTypedCommandHelpers();
    invitations_ = new InvitationPrompts(*this, this);
    FormCreate();
}

TMainForm::~TMainForm()
{
    lifecycle_->Teardown();
    // The child windows ask the frame for its connection and lists while they
    // go (activation changes): they go while the frame is still whole.
    if (mdiArea_) QObject::disconnect(mdiArea_, nullptr, this, nullptr);
    windows_->CloseAll();
}

void TMainForm::FormCreate() { servercombo->setCurrentIndex(0); }

QString TMainForm::CurrentNick() const
{
    QMutexLocker lock(&sharedLock_);
    return currentNick_;
}

void TMainForm::SetCurrentNick(const QString& nick)
{
    QMutexLocker lock(&sharedLock_);
    currentNick_ = nick;
    accountNick_ = nick;
}

void TMainForm::FollowOwnRename(const QString& nick)
{
    QMutexLocker lock(&sharedLock_);
    currentNick_ = nick;
}

QString TMainForm::PendingPrivateNick() const
{
    QMutexLocker lock(&sharedLock_);
    return pendingPrivateNick_;
}

void TMainForm::SetPendingPrivateNick(const QString& nick)
{
    QMutexLocker lock(&sharedLock_);
    pendingPrivateNick_ = nick;
}

QString TMainForm::WhoPurpose() const
{
    QMutexLocker lock(&sharedLock_);
    return whoPurpose_;
}

void TMainForm::SetWhoPurpose(const QString& purpose)
{
    QMutexLocker lock(&sharedLock_);
    whoPurpose_ = purpose;
}

QString TMainForm::AccountFolder() const
{
    QString nick;
    {
        QMutexLocker lock(&sharedLock_);
        nick = accountNick_;
    }
    return UserDataFolder(FromWire(IdTCPClient1.Host()), nick);
}

QStringList TMainForm::IgnoreList() const { return lists_->IgnoreList(); }

void TMainForm::ChangeIgnoreList(const std::function<void(IgnoreEntries&)>& change)
{
    lists_->ChangeIgnoreList(change);
}

bool TMainForm::IsIgnored(const QString& nick) const { return lists_->IsIgnored(nick); }

bool TMainForm::IgnoreForGood(const QString& nick, QWidget* asker) { return lists_->IgnoreForGood(nick, asker); }

void TMainForm::ReloadFavoritesNotification() { lists_->ReloadFavoritesSoon(); }

void TMainForm::ReloadBuddiesNotification() { lists_->ReloadBuddiesSoon(); }

void TMainForm::AppendLog(const QString& line) { form4_->AppendLogLine(line); }

void TMainForm::AppendLogLines(const QStringList& lines) { form4_->AppendLogLines(lines); }

QWidget* TMainForm::RoomListWindow() const { return form4_; }

QList<QWidget*> TMainForm::ChildWindows() const { return windows_->All(); }

QList<QWidget*> TMainForm::PrivateWindowsNamed(const QString& partner) const
{
    return windows_->PrivateWindowsNamed(partner);
}

QWidget* TMainForm::CurrentChild() const { return windows_->Current(); }

bool TMainForm::IsActiveChild(const QWidget* child) const { return windows_->IsActive(child); }

void TMainForm::BringToFront(QWidget* child) { windows_->BringToFront(child); }

TForm1* TMainForm::NewRoomWindow() { return windows_->NewRoom(); }

TForm1* TMainForm::OpenRoomWindow(const QString& room, const std::string& wireName)
{
    return windows_->OpenRoom(room, wireName);
}

QWidget* TMainForm::ShowRoom(const QString& room, const std::string& wireName)
{
    return windows_->ShowRoom(room, wireName);
}

TForm3* TMainForm::OpenPrivateWindowRequest()
{
    const QString nick = PendingPrivateNick();
    return nick.isEmpty() ? nullptr : windows_->MakePrivate(nick, false);
}

TForm3* TMainForm::OpenPrivateWindowFromUser(const QString& nick) { return windows_->ShowPrivate(nick); }

void TMainForm::InvitationNotification(const QString& inviter, const QString& channel)
{
    invitations_->ShowSoon(inviter, channel);
}

TAboutBox* TMainForm::AboutBox()
{
    if (!aboutBox_) aboutBox_ = new TAboutBox(this);
    return aboutBox_;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A login dialog is open, perhaps with an exchange (its own or its
    // registration dialog's) waiting on the server: that is called off and
    // the dialogs close first; the frame follows as soon as they have gone.
    bool dialogOpen = false;
    for (TForm5* dialog : findChildren<TForm5*>(Qt::FindDirectChildrenOnly)) {
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
    lifecycle_->Close(kExitWait);
    event->accept();
}
