#pragma once
// The login and registration dialogs' controls, found by their object names
// as a user finds them by their places, and the login started the user's way.
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/tls_switch.h"
#include "support/window_controls.h"
#include "shell/registration_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTest>

inline QLineEdit* Field(QWidget* dialog, const char* name) { return dialog->findChild<QLineEdit*>(name); }
inline QPushButton* Button(QWidget* dialog, const char* name) { return dialog->findChild<QPushButton*>(name); }
inline QCheckBox* GuestBox(QWidget* dialog) { return dialog->findChild<QCheckBox*>("guestBox"); }
inline QPlainTextEdit* RegistrationLog(QWidget* dialog) { return dialog->findChild<QPlainTextEdit*>("registrationLog"); }

// Types the nick (and the password, or ticks the guest box without one) and clicks Ok.
inline void StartLogin(QWidget* login, const QString& nick, const QString& password = {})
{
    Field(login, "nickEdit")->setText(nick);
    Field(login, "passwordEdit")->setText(password);
    GuestBox(login)->setChecked(password.isEmpty());
    QTest::mouseClick(Button(login, "okButton"), Qt::LeftButton);
}

// Logs in the way StartLogin does and waits for the try to end (logged in,
// refused or failed); a dialog left open by a refusal or a failure is left.
inline void LogInOrLeave(LoginDialog* login, const QString& nick, const QString& password = {},
                         int timeoutMs = 30000)
{
    StartLogin(login, nick, password);
    if (!QTest::qWaitFor([login] { return !login->Busy(); }, timeoutMs)) qWarning("the login did not end in time");
    if (login->isVisible()) login->reject();
}

// Fills the registration dialog's four fields and clicks Register.
inline void StartRegistration(QWidget* registration, const QString& fullname, const QString& email,
                              const QString& nick, const QString& password)
{
    Field(registration, "fullNameEdit")->setText(fullname);
    Field(registration, "emailEdit")->setText(email);
    Field(registration, "nickEdit")->setText(nick);
    Field(registration, "passwordEdit")->setText(password);
    QTest::mouseClick(Button(registration, "registerButton"), Qt::LeftButton);
}

// The connect command for what the server box says, with the TLS switch set,
// the login dialog answered with a guest login (and left if it stays open:
// refused, or a failure).
inline void LogInThroughServerBox(MainWindow& frame, const QString& box, const QString& nick, bool tls = false)
{
    Control<QComboBox>(frame, "serverBox")->setEditText(box);
    Control<TlsSwitch>(frame, "tlsSwitch")->setChecked(tls);
    QTimer::singleShot(0, &frame, [&frame, nick] {
        if (auto* login = frame.findChild<LoginDialog*>()) LogInOrLeave(login, nick);
    });
    Control<QAction>(frame, "connectAction")->trigger();
}
