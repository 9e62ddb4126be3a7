#pragma once
// The login dialog: opens the connection and logs in as a guest or with a
// registered nick's password, showing the exchange while it happens.
#include "common/log_batch.h"
#include "protocol/irc/login_machine.h"
#include "shell/server_exchange.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <string>

class LineConnection;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RegistrationDialog;
class MainWindow;

// The login dialog, made anew for every connect command. The login runs on
// the event loop (a machine fed by the reader), so the dialog stays live and
// Cancel works at every step.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(MainWindow* frame);
    ~LoginDialog() override;

    // The connection to log in on (the frame's), set before the dialog is shown.
    // The connection, aimed at its server already: the nick and the guest
    // box of the last login on that server come back.
    void SetConnection(LineConnection* connection);
    LineConnection* Connection() const { return connection_; }
    // True once a try has succeeded (the dialog then closed itself).
    bool LoggedIn() const { return loggedIn_; }
    // What the nick service said of a guest's nick during the login (that
    // it is registered), for the frame to show once; empty when nothing.
    const QString& ServiceNote() const { return serviceNote_; }
    // The settings of the last try (the successful one once LoggedIn).
    const LoginMachine::Settings& LastSettings() const { return lastSettings_; }
    // True while a login runs; Cancel, Escape and the close box call it off.
    bool Busy() const { return busy_; }
    // The frame is closing: any exchange (this dialog's or its registration
    // dialog's) is called off, and the dialogs close.
    void Abandon();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void onGuestToggled();
    void onOkClicked();
    void onCancelClicked();
    void onRegisterClicked();

private:
    void SetBusy(bool busy);
    void ShowStep(const ExchangeStep& step);
    void Ended(const ExchangeStep& step);
    void OpenFailed(const std::string& error, const CertificateError* untrusted);
    void FinishLogin();
    void FinishLogin(const QString& failureMessage, bool error);
    void Log(const QString& line);
    QString ServerKey() const;  // the server as the remembered logins know it
    void ShowProgress(const QString& text);

    MainWindow* frame_;
    LineConnection* connection_ = nullptr;

    QLabel* nickLabel_ = nullptr;
    QLineEdit* nickEdit_ = nullptr;
    QLabel* passwordLabel_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QCheckBox* guestBox_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* orLabel_ = nullptr;
    QPushButton* registerButton_ = nullptr;
    QLabel* progressLabel_ = nullptr;

    ServerExchange exchange_;
    bool busy_ = false;
    bool abandoned_ = false;
    bool loggedIn_ = false;
    QString serviceNote_;
    LoginMachine::Settings lastSettings_;
    QPointer<RegistrationDialog> registration_;  // while the registration dialog is open
    LogBatch log_;          // the server log's share of this dialog, in blocks
    QTimer logFlush_;       // hands the block over once the lines at hand are logged
};
