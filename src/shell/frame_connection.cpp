// The frame's connection lifecycle: connect and disconnect, the connected and
// disconnected looks, away status and the room-list button.
#include "shell/main_form.h"
#include "shell/paint_pacer.h"
#include "shell/connection_target.h"
#include "shell/tls_switch.h"

#include "common/wire_text.h"
#include "protocol/sent_lines.h"
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

void TMainForm::ConnectitemClick()
{
    form4_->setIdTCPClient(&IdTCPClient1);
    const QString server = servercombo->currentText();
    if (server.isEmpty()) {
        prompts().Information(this, QStringLiteral("Please select a server."));
        return;
    }
    if (IdTCPClient1.Connected()) {
        Disconnect();
        return;
    }
    if (!AimConnection(this, IdTCPClient1, server, tlsbtn->isChecked())) return;
    ApplySendLimits();
    Connect();
}

void TMainForm::Disconnect()
{
    QuitAndStopReader();
    CloseConnection();  // the log says the connection is gone after the last lines
    Buddies1->clear();
}

void TMainForm::Connect()
{
    SettleEndedReader();
    TForm5 dialog(this);
    dialog.setIdTCPClient(&IdTCPClient1);
    dialog.exec();
    LineConnection& connection = *dialog.getIdTCPClient();
    if (!dialog.LoggedIn() && connection.Connected()) {
        // Cancelled after a failed try that left the connection open: that
        // connection never finished logging in, so it is not taken as one.
        CloseConnection();
    }
    if (!connection.Connected()) {
        if (connectedLook_) CloseConnection();
        return;
    }
    StartReader();
    loggedIn_ = true;
    try {
        connection.WriteLine(sent::MemoServListLine());
        connection.WriteLine(sent::LusersLine());
    } catch (const TransportError&) {
        // The server hung up right after the login: the reader notices the
        // closed connection too, and its end brings the disconnected look.
        return;
    }
    LoadAccountLists();
    form4_->servertitle->setText(FromWire(connection.Host()));
    form4_->ShowServerPanel();
    RejoinRooms();
    emit LoggedIn();
}

void TMainForm::TellWindowsConnectionLost()
{
    for (QWidget* child : ChildWindows()) {
        if (auto* room = qobject_cast<TForm1*>(child))
            room->ConnectionLost();
        else if (auto* partner = qobject_cast<TForm3*>(child))
            partner->ConnectionLost();
    }
}

void TMainForm::TellWindowsWhyConnectionEnded(const QString& why)
{
    for (QWidget* child : ChildWindows()) {
        if (auto* room = qobject_cast<TForm1*>(child))
            room->ConnectionEndedBecause(why);
        else if (auto* partner = qobject_cast<TForm3*>(child))
            partner->ConnectionEndedBecause(why);
    }
}

void TMainForm::RejoinRooms()
{
    const bool sameServer = IdTCPClient1.Host() == rejoinHost_;
    for (QWidget* child : ChildWindows()) {
        auto* room = qobject_cast<TForm1*>(child);
        if (!room || !room->RejoinPending())
            continue;
        if (sameServer)
            room->Rejoin();
        else
            room->ForgetRejoin();
    }
}

void TMainForm::IdTCPClient1Connected()
{
    // A login called off while this notification was on its way closed the
    // connection already: the disconnected look stays.
    if (!IdTCPClient1.Opened()) return;
    // Even when the server has already hung up again: the look then changes
    // back when the program notices and closes its side.
    ApplyConnectedLook();
}

void TMainForm::IdTCPClient1Disconnected()
{
    ApplyDisconnectedLook();
    if (ReaderThread() && !ReaderThread()->Finished()) WaitForReader(timing().readerStopMs);
    form4_->ClearRows();
    StatusPanel1->setText(QStringLiteral("Not Connected"));
    const bool wasLoggedIn = std::exchange(loggedIn_, false);
    if (wasLoggedIn) rejoinHost_ = IdTCPClient1.Host();
    // Lines of the ended connection may still be arriving in their windows:
    // the log's last word and the windows' notes come after them.
    AfterLastLines([this, wasLoggedIn] {
        AppendLog(QStringLiteral("Disconnected.."));
        if (wasLoggedIn) TellWindowsConnectionLost();
    });
}

void TMainForm::CloseConnection()
{
    IdTCPClient1.Disconnect();  // raises the notification when it closed an open connection
    if (connectedLook_) IdTCPClient1Disconnected();
}

void TMainForm::ApplyConnectedLook()
{
    pacer_->PaintSoon();  // seen at once, even in the middle of a flood
    connectedLook_ = true;
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
    SetIgnoreList(QStringList());
}

void TMainForm::ApplyDisconnectedLook()
{
    pacer_->PaintSoon();  // seen at once, even in the middle of a flood
    connectedLook_ = false;
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
    SetIgnoreList(QStringList());
}

void TMainForm::awaybtnClick()
{
    if (awaybtn->isChecked()) {
        Panel1->show();
        Panel1->raise();
        Edit1->setFocus();
        return;
    }
    IdTCPClient1.WriteLine(sent::BackLine());
    AppendLog(QStringLiteral("Your status is nolonger set to away."));
    Panel1->hide();
    awaybtn->setChecked(false);
}

void TMainForm::Button1Click()
{
    IdTCPClient1.WriteLine(sent::AwayLine(ToWire(Edit1->text())));
    AppendLog(QStringLiteral("Your status is set to away."));
    Panel1->hide();
    awaybtn->setChecked(true);
}

void TMainForm::Button2Click()
{
    Panel1->hide();
    awaybtn->setChecked(false);
}

void TMainForm::Edit1KeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) Button1Click();
}

void TMainForm::roomlistbtnClick()
{
    form4_->ClearRows();
    form4_->ShowServerPanel();
}
