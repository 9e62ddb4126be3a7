// The frame's connection controls: Connect and Disconnect, the connected and
// disconnected looks, away status and the room-list button.
#include "shell/main_window.h"
#include "shell/history_keeper.h"
#include "shell/connection_keeper.h"
#include "shell/paint_pacer.h"
#include "shell/connection_target.h"
#include "shell/tls_status.h"
#include "shell/tls_switch.h"
#include "shell/user_lists.h"

#include "common/wire_text.h"
#include "protocol/irc/sent_lines.h"
#include "shell/login_dialog.h"
#include "common/prompts.h"
#include "common/timings.h"
#include "side/room_list_window.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QThread>
#include <QToolButton>

#include <utility>

void MainWindow::onConnectTriggered()
{
    roomList_->SetConnection(&connection_);
    roomList_->SetSender(&sender_);
    const QString server = serverBox_->currentText();
    if (server.isEmpty()) {
        prompts().Information(this, QStringLiteral("Please select a server."));
        return;
    }
    keeper_->Stop();  // a Connect or Disconnect by hand ends the tries
    if (connection_.Connected()) {
        lifecycle_->Disconnect();
        buddiesMenu_->clear();
        return;
    }
    if (!AimConnection(this, connection_, server, tlsSwitch_->isChecked())) return;
    lifecycle_->ApplySendLimits();
    Connect();
}

void MainWindow::Connect()
{
    lifecycle_->SettleEndedReader();
    history_->LoginStarting();
    LoginDialog dialog(this);
    dialog.SetConnection(&connection_);
    dialog.exec();
    LineConnection& connection = *dialog.Connection();
    if (!dialog.LoggedIn() && connection.Connected()) {
        // Cancelled after a failed try that left the connection open: that
        // connection never finished logging in, so it is not taken as one.
        lifecycle_->CloseConnection();
    }
    if (!connection.Connected()) {
        if (lifecycle_->ConnectedLook()) lifecycle_->CloseConnection();
        return;
    }
    keeper_->LoggedIn(dialog.LastSettings());
    // The server may hang up right after the login: the reader notices the
    // closed connection, and its end brings the disconnected look.
    AfterLogin();
    // Said once, where the user sees it: the server log alone would hide it.
    if (!dialog.ServiceNote().isEmpty()) prompts().Information(this, dialog.ServiceNote());
}

void MainWindow::onOptionsTriggered() { lists_->ShowOptions(); }

void MainWindow::ApplyConnectedLook()
{
    pacer_->PaintSoon();  // seen at once, even in the middle of a flood
    serverBox_->setEnabled(false);
    newWindowAction_->setEnabled(true);
    connectAction_->setText(QStringLiteral("Disconnect"));
    newWindowButton_->setEnabled(true);
    disconnectButton_->setEnabled(true);
    connectButton_->setEnabled(false);
    awayButton_->setEnabled(true);
    roomListButton_->setEnabled(true);
    optionsAction_->setEnabled(true);
    connectionLabel_->setText(QStringLiteral("Connected"));
    tlsStatus_->ShowConnection(connection_.Certificate());
    lists_->SetIgnoreList(QStringList());
}

void MainWindow::ApplyDisconnectedLook()
{
    pacer_->PaintSoon();  // seen at once, even in the middle of a flood
    serverBox_->setEnabled(true);
    newWindowAction_->setEnabled(false);
    connectAction_->setText(QStringLiteral("Connect"));
    newWindowButton_->setEnabled(false);
    disconnectButton_->setEnabled(false);
    connectButton_->setEnabled(true);
    awayButton_->setEnabled(false);
    roomListButton_->setEnabled(false);
    optionsAction_->setEnabled(false);
    connectionLabel_->setText(QStringLiteral("Not Connected"));
    tlsStatus_->Clear();
    lists_->SetIgnoreList(QStringList());
}

void MainWindow::onAwayClicked()
{
    if (awayButton_->isChecked()) {
        awayPanel_->show();
        awayPanel_->raise();
        awayLine_->setFocus();
        return;
    }
    if (!sender_.Send(sent::BackLine()).accepted) throw TransportError("not connected");
    AppendLog(QStringLiteral("Your status is nolonger set to away."));
    awayPanel_->hide();
    awayButton_->setChecked(false);
}

void MainWindow::onAwayConfirmed()
{
    if (!sender_.Send(sent::AwayLine(ToWire(awayLine_->text()))).accepted) throw TransportError("not connected");
    AppendLog(QStringLiteral("Your status is set to away."));
    awayPanel_->hide();
    awayButton_->setChecked(true);
}

void MainWindow::onAwayCancelled()
{
    awayPanel_->hide();
    awayButton_->setChecked(false);
}

void MainWindow::onAwayLineKey(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) onAwayConfirmed();
}

void MainWindow::onRoomListClicked()
{
    roomList_->ClearRows();
    roomList_->ShowServerPanel();
}
