#pragma once
// One login or registration exchange run over the frame's connection.
#include "events/line_drain.h"
#include "protocol/irc/exchange_machine.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class CertificateError;
class LineConnection;
class MainWindow;

// Runs one exchange machine over the frame's connection: opens the connection
// on a worker thread while the window stays live, starts the reader the moment
// it is open, hands the machine every line the reader queued, its clock (one
// timer at the machine's next deadline) and the connection's end, and writes
// the lines it asks for. Nothing here waits on the server.
class ServerExchange : public QObject, public LoginFeed {
    Q_OBJECT
public:
    explicit ServerExchange(MainWindow& frame, QObject* parent = nullptr);
    ~ServerExchange() override;  // calls a running exchange off

    // Each runs on the UI thread. onOpenFailed gets the transport's text, and
    // the certificate's trouble when that was why.
    std::function<void()> onOpened;
    std::function<void(const std::string& error, const CertificateError* untrusted)> onOpenFailed;
    // After every input: lines to log, progress. The ending, if any, follows
    // in onEnded from a later turn of the event loop.
    std::function<void(const ExchangeStep&)> onStep;
    std::function<void(const ExchangeStep&)> onEnded;

    // Opens connection (aimed already) unless it is open, and runs machine over it.
    void Run(LineConnection& connection, std::unique_ptr<ExchangeMachine> machine);
    // Calls the exchange off at once: nothing more is sent or told, the
    // connection closes (a connect under way is called off too) and the
    // session goes with the lines it holds.
    void CallOff();
    // From Run until the ending is told (or the exchange is called off).
    bool Running() const { return running_; }

    // LoginFeed, from the session's drain.
    bool TakeLoginLine(const IrcMessage& line) override;
    void LoginReaderEnded(const std::string& why) override;

private:
    void ConnectDone(const std::string& error, const std::shared_ptr<CertificateError>& untrusted);
    void Apply(ExchangeStep step);
    void Rearm();
    void JoinConnector();
    ExchangeMachine::Ms Now() const { return ExchangeMachine::Ms(clock_.elapsed()); }

    MainWindow& frame_;
    LineConnection* connection_ = nullptr;
    std::unique_ptr<ExchangeMachine> machine_;
    bool running_ = false;
    bool feeding_ = false;  // the session's lines come here
    QElapsedTimer clock_;
    QTimer deadline_;
    std::thread connector_;
};
