#pragma once
// The login dialog: opens the connection and runs the whole IRC registration
// exchange as a guest or with a registered nick's password.
#include "common/log_batch.h"

#include <QDialog>
#include <QPointer>

#include <string>

class BurstRead;
class LineConnection;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RegistrationDialog;
class MainWindow;

// The login dialog, made anew for every connect command.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(MainWindow* frame);

    void setIdTCPClient(LineConnection* connection) { connection_ = connection; }
    LineConnection* getIdTCPClient() const { return connection_; }
    // True once a try has succeeded (the dialog then closed itself).
    bool LoggedIn() const { return loggedIn_; }
    // True while an exchange runs. Cancel, Escape and the close box then call
    // it off: the connection is closed at once, and the dialog closes as soon
    // as the exchange has let go.
    bool Busy() const { return busy_; }
    // The frame is closing: any exchange (this dialog's or its registration
    // dialog's) is called off, and the dialogs close.
    void Abandon();

    QLabel* Label1 = nullptr;
    QLineEdit* nick = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* password = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    void CheckBox1Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetBusy(bool busy);
    void CancelExchange();
    void RunLogin(const std::string& n);
    bool GuestLogin(const std::string& n);
    // identified: SASL has already logged the nick in.
    bool RegisteredLogin(const std::string& n, bool identified);
    void FinishLogin(const std::string& n);
    void FinishLogin(const QString& failureMessage);
    // After a failed exchange: the connection is closed so that the next try
    // starts afresh and a half-done login is never taken for a real one.
    void AbandonConnection();
    std::string ReadLine(int timeoutMs);
    // Reads that end at a silence, and give up when none comes.
    BurstRead Burst();
    void Log(const QString& line);
    void Log(const std::string& line);

    MainWindow* frame_;
    LineConnection* connection_ = nullptr;
    bool busy_ = false;
    bool cancelRequested_ = false;
    bool abandoned_ = false;
    bool loggedIn_ = false;
    QPointer<RegistrationDialog> registration_;  // while the registration dialog is open
    LogBatch log_;  // the server log's share of this dialog, in blocks
};
