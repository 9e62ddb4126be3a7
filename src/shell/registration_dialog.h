#pragma once
// The nick registration dialog: registers a new nick with the network's nick
// service over a throw-away connection, showing the exchange in its own log.
#include "common/log_batch.h"
#include "shell/server_exchange.h"

#include <QDialog>
#include <QTimer>

#include <string>

class LineConnection;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class MainWindow;

// The nick registration dialog, opened from the login dialog. The run goes on
// the event loop (a machine fed by the reader), so Close works at every step.
class RegistrationDialog : public QDialog {
    Q_OBJECT
public:
    RegistrationDialog(MainWindow* frame, QWidget* parent);
    ~RegistrationDialog() override;

    void SetConnection(LineConnection* connection) { connection_ = connection; }
    // True while a run goes on; Close, Escape and the close box call it off.
    bool Busy() const { return busy_; }
    // The frame is closing: a run is called off and the dialog closes.
    void Abandon() { reject(); }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void onRegisterClicked();
    void onCloseClicked();

private:
    void SetBusy(bool busy);
    void Ended(const ExchangeStep& step);
    void Append(const QString& line);

    MainWindow* frame_;
    LineConnection* connection_ = nullptr;

    QLabel* fullNameLabel_ = nullptr;
    QLineEdit* fullNameEdit_ = nullptr;
    QLabel* emailLabel_ = nullptr;
    QLineEdit* emailEdit_ = nullptr;
    QLabel* nickLabel_ = nullptr;
    QLineEdit* nickEdit_ = nullptr;
    QLabel* passwordLabel_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QPushButton* registerButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPlainTextEdit* registrationLog_ = nullptr;

    ServerExchange exchange_;
    bool busy_ = false;
    LogBatch log_;     // the registration log's lines, in blocks
    QTimer logFlush_;  // hands the block over once the lines at hand are logged
};
