// The frame's side of staying connected: the one send road's status, the
// link's watch and the reconnect tries, the user's typing, and what follows
// every successful login.
#include "shell/main_window.h"
#include "shell/history_keeper.h"

#include "chat/chat_window.h"
#include "common/timings.h"
#include "common/wire_text.h"
#include "protocol/irc/sent_lines.h"
#include "shell/connection_keeper.h"
#include "shell/connection_status.h"
#include "shell/product_info.h"
#include "shell/typing_watch.h"
#include "side/room_list_window.h"

#include <QLabel>
#include <QStatusBar>

void MainWindow::BuildKeeping()
{
    typing_ = new TypingWatch(this);
    keeper_ = new ConnectionKeeper(*this);
    linkStatus_ = new ConnectionStatus(statusBar_);
    statusBar_->addWidget(linkStatus_);
    roomList_->SetSender(&sender_);
    connect(&sender_, &LineSender::WaitingChanged, linkStatus_, &ConnectionStatus::ShowWaiting);
    connect(&sender_, &LineSender::WriteFailed, this, [this](const QString& reason) {
        AppendLog(QStringLiteral("Lines could not be written to the server: ") + reason);
    });
    connect(keeper_, &ConnectionKeeper::StatusChanged, linkStatus_, &ConnectionStatus::ShowLink);
    connect(linkStatus_, &ConnectionStatus::ReconnectNowClicked, keeper_, &ConnectionKeeper::ReconnectNow);
    connect(linkStatus_, &ConnectionStatus::StopClicked, keeper_, &ConnectionKeeper::Stop);
    connect(lifecycle_.get(), &ConnectionLifecycle::Ended, keeper_, &ConnectionKeeper::ConnectionEnded);
}

bool MainWindow::UserTyping() const
{
    if (typing_ && typing_->KeyPressedWithin(timing().typingQuietMs)) return true;
    const auto* chat = qobject_cast<const ChatWindow*>(CurrentChild());
    return chat && !chat->InputText().isEmpty();
}

bool MainWindow::TakeOwnPong(const std::string& token) { return keeper_->TakeOwnPong(token); }

void MainWindow::ServerClosingLink(const QString& reason) { lifecycle_->ServerClosingLink(reason); }

QString MainWindow::VersionText() const
{
    return product::kName + u' ' + product::kVersionNumber + QStringLiteral(" on Linux");
}

void MainWindow::AfterLogin(bool reconnected)
{
    lifecycle_->LoggedIn();
    history_->LoggedIn(QByteArray::fromStdString(connection_.Host()));
    // After a reconnect the rooms go first: the user was in them a moment ago.
    if (reconnected) lifecycle_->RejoinRooms();
    roomList_->ResetTotals();  // not the last server's, nor this one's at the last login
    SendOrLog(*this, {sent::MemoServListLine(), sent::LusersLine()});
    lists_->LoadAccountLists();
    roomList_->SetServerTitle(FromWire(connection_.Host()));
    if (!reconnected) roomList_->ShowServerPanel();
    if (!reconnected) lifecycle_->RejoinRooms();
    emit LoggedIn();
}
