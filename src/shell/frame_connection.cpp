// The frame's connection controls: Connect and Disconnect, the connected and
// disconnected looks, away status and the room-list button.
#include "shell/main_window.h"
#include "shell/connection_keeper.h"
#include "shell/paint_pacer.h"
#include "shell/connection_target.h"
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

void MainWindow::ConnectitemClick()
{
    form4_->setIdTCPClient(&connection_);
    form4_->SetSender(&sender_);
    const QString server = servercombo->currentText();
    if (server.isEmpty()) {
        prompts().Information(this, QStringLiteral("Please select a server."));
        return;
    }
    keeper_->Stop();  // a Connect or Disconnect by hand ends the tries
    if (connection_.Connected()) {
        lifecycle_->Disconnect();
        Buddies1->clear();
        return;
    }
    if (!AimConnection(this, connection_, server, tlsbtn->isChecked())) return;
    lifecycle_->ApplySendLimits();
    Connect();
}

void MainWindow::Connect()
{
    lifecycle_->SettleEndedReader();
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
}

void MainWindow::Options1Click() { lists_->ShowOptions(); }

void MainWindow::ApplyConnectedLook()
{
    pacer_->PaintSoon();  // seen at once, even in the middle of a flood
    servercombo->setEnabled(false);
    newitem->setEnabled(true);
    Connectitem->setText(QStringLiteral("Disconnect"));
    ToolButton6->setEnabled(true);
    ToolButton1->setEnabled(true);
    ToolButton9->setEnabled(false);
    awaybtn->setEnabled(true);
    roomlistbtn->setEnabled(true);
    Options1->setEnabled(true);
    StatusPanel1->setText(QStringLiteral("Connected"));
    lists_->SetIgnoreList(QStringList());
}

void MainWindow::ApplyDisconnectedLook()
{
    pacer_->PaintSoon();  // seen at once, even in the middle of a flood
    servercombo->setEnabled(true);
    newitem->setEnabled(false);
    Connectitem->setText(QStringLiteral("Connect"));
    ToolButton6->setEnabled(false);
    ToolButton1->setEnabled(false);
    ToolButton9->setEnabled(true);
    awaybtn->setEnabled(false);
    roomlistbtn->setEnabled(false);
    Options1->setEnabled(false);
    StatusPanel1->setText(QStringLiteral("Not Connected"));
    lists_->SetIgnoreList(QStringList());
}

void MainWindow::awaybtnClick()
{
    if (awaybtn->isChecked()) {
        Panel1->show();
        Panel1->raise();
        Edit1->setFocus();
        return;
    }
    if (!sender_.Send(sent::BackLine()).accepted) throw TransportError("not connected");
    AppendLog(QStringLiteral("Your status is nolonger set to away."));
    Panel1->hide();
    awaybtn->setChecked(false);
}

void MainWindow::Button1Click()
{
    if (!sender_.Send(sent::AwayLine(ToWire(Edit1->text()))).accepted) throw TransportError("not connected");
    AppendLog(QStringLiteral("Your status is set to away."));
    Panel1->hide();
    awaybtn->setChecked(true);
}

void MainWindow::Button2Click()
{
    Panel1->hide();
    awaybtn->setChecked(false);
}

void MainWindow::Edit1KeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) Button1Click();
}

void MainWindow::roomlistbtnClick()
{
    form4_->ClearRows();
    form4_->ShowServerPanel();
}
