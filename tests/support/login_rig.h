#pragma once
// A login dialog open over a frame whose connection is aimed at a scripted
// server, for tests that drive the login exchange the way the user does.
#include "shell/login_dialog.h"
#include "support/window_controls.h"
#include "shell/connection_keeper.h"
#include "shell/main_window.h"
#include "support/login_controls.h"
#include "support/prompt_recorder.h"
#include "support/scripted_server.h"
#include "support/shrunk_timings.h"
#include "support/window_controls.h"

#include <QLabel>
#include <QTest>

// The frame, its connection aimed at server (or at port, when given), and
// the login dialog open on it; boxes are recorded and the waits shrunk.
struct LoginRig {
    PromptRecorder prompts;
    ShrunkTimings timings;
    ScriptedServer server;
    MainWindow frame;
    LoginDialog dialog{&frame};

    explicit LoginRig(int greetingMs = 250, int replyMs = 150, int port = 0) : timings(greetingMs, replyMs)
    {
        timing().welcomeLimitMs = 2000;
        timing().burstLimitMs = 3000;
        frame.Connection().SetHost("127.0.0.1");
        frame.Connection().SetPort(port ? port : server.Port());
        dialog.SetConnection(&frame.Connection());
        frame.Keeper().SetAutomatic(false);  // an ending stays one here
        frame.show();
        dialog.open();
    }
    QLineEdit* Nick() const { return Field(const_cast<LoginDialog*>(&dialog), "nickEdit"); }
    QLineEdit* Password() const { return Field(const_cast<LoginDialog*>(&dialog), "passwordEdit"); }
    QCheckBox* Guest() const { return GuestBox(const_cast<LoginDialog*>(&dialog)); }
    QPushButton* Ok() const { return Button(const_cast<LoginDialog*>(&dialog), "okButton"); }
    QPushButton* Cancel() const { return Button(const_cast<LoginDialog*>(&dialog), "cancelButton"); }
    QPushButton* Register() const { return Button(const_cast<LoginDialog*>(&dialog), "registerButton"); }
    QString Progress() const { return dialog.findChild<QLabel*>("progressLabel")->text(); }

    void Fill(const QString& nick, const QString& password, bool guest)
    {
        Nick()->setText(nick);
        Password()->setText(password);
        Guest()->setChecked(guest);
    }
    void ClickOk() { QTest::mouseClick(Ok(), Qt::LeftButton); }
    // Clicks Ok and waits until the try has ended: logged in, refused or failed.
    bool LogIn(int timeoutMs = 5000)
    {
        ClickOk();
        return QTest::qWaitFor([this] { return !dialog.Busy(); }, timeoutMs);
    }
    QString Status() const { return Control<QLabel>(frame, "connectionLabel")->text(); }
};
