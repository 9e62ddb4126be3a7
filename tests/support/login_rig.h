#pragma once
// A login dialog open over a frame whose connection is aimed at a scripted
// server, for tests that drive the login exchange the way the user does.
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "support/prompt_recorder.h"
#include "support/scripted_server.h"
#include "support/shrunk_timings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
        frame.connection_.SetHost("127.0.0.1");
        frame.connection_.SetPort(port ? port : server.Port());
        dialog.setIdTCPClient(&frame.connection_);
        frame.show();
        dialog.open();
    }
    void Fill(const QString& nick, const QString& password, bool guest)
    {
        dialog.nick->setText(nick);
        dialog.password->setText(password);
        dialog.CheckBox1->setChecked(guest);
    }
    void ClickOk() { QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton); }
    QString Status() const { return frame.StatusPanel1->text(); }
};
