#pragma once
// The nick registration dialog: registers a new nick with the network's nick
// service over a throw-away connection, showing the exchange in its own log.
#include "common/log_batch.h"

#include <QDialog>

#include <string>

class BurstRead;
class LineConnection;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class MainWindow;

// The nick registration dialog, opened from the login dialog.
class RegistrationDialog : public QDialog {
    Q_OBJECT
public:
    RegistrationDialog(MainWindow* frame, QWidget* parent);

    void setIdTCPClient(LineConnection* connection) { connection_ = connection; }
    // True while a run goes on. Close and the close box then call it off:
    // the connection is closed at once, and the dialog closes as soon as the
    // run has let go.
    bool Busy() const { return busy_; }
    // The frame is closing: a run is called off and the dialog closes.
    void Abandon() { reject(); }

    QLabel* Label1 = nullptr;
    QLineEdit* fullname = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* email = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* nick = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* password = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPlainTextEdit* reglog = nullptr;

    void BitBtn1Click();
    void BitBtn2Click();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetBusy(bool busy);
    void Register(const std::string& f, const std::string& e, const std::string& n, const std::string& p);
    // Shows a refusal, closes the connection; the run stops.
    void Refuse(const std::string& line, const QString& message);
    std::string ReadLine(int timeoutMs);
    // Reads that end at a silence, and give up when none comes.
    BurstRead Burst();
    void Append(const QString& line);
    void Append(const std::string& line);

    MainWindow* frame_;
    LineConnection* connection_ = nullptr;
    bool busy_ = false;
    bool cancelRequested_ = false;
    LogBatch log_;  // reglog's lines, in blocks
};
