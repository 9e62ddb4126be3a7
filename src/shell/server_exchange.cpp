#include "shell/server_exchange.h"

#include "events/chat_session.h"
#include "protocol/stream/line_connection.h"
#include "shell/main_window.h"

#include <QMetaObject>

#include <algorithm>

ServerExchange::ServerExchange(MainWindow& frame, QObject* parent) : QObject(parent), frame_(frame)
{
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (running_ && machine_) Apply(machine_->Tick(Now()));
    });
}

ServerExchange::~ServerExchange()
{
    CallOff();
    JoinConnector();
}

void ServerExchange::JoinConnector()
{
    if (connector_.joinable()) connector_.join();
}

void ServerExchange::Run(LineConnection& connection, std::unique_ptr<ExchangeMachine> machine)
{
    JoinConnector();
    connection_ = &connection;
    machine_ = std::move(machine);
    running_ = true;
    frame_.Lifecycle().BeginLogin();
    if (connection.Connected()) {
        ConnectDone({}, nullptr);
        return;
    }
    // The name lookup and the connect block: they run on a thread of their
    // own, and a Disconnect from here calls the connect off.
    connector_ = std::thread([this, &connection] {
        std::string error;
        std::shared_ptr<CertificateError> untrusted;
        try {
            connection.Connect();
        } catch (const CertificateError& e) {
            untrusted = std::make_shared<CertificateError>(e);
            error = e.what();
        } catch (const std::exception& e) {
            error = e.what();
            if (error.empty()) error = "The connection could not be opened.";
        }
        QMetaObject::invokeMethod(this, [this, error, untrusted] { ConnectDone(error, untrusted); },
                                  Qt::QueuedConnection);
    });
}

void ServerExchange::ConnectDone(const std::string& error, const std::shared_ptr<CertificateError>& untrusted)
{
    JoinConnector();
    if (!running_) return;  // called off meanwhile: the connection is closed already
    if (!error.empty()) {
        running_ = false;
        frame_.Lifecycle().AbandonLogin();
        if (onOpenFailed) onOpenFailed(error, untrusted.get());
        return;
    }
    if (onOpened) onOpened();
    // The reader owns the connection's reads from its first byte on.
    feeding_ = true;
    frame_.Lifecycle().StartLoginReader(*this);
    clock_.start();
    Apply(machine_->Start(Now()));
}

bool ServerExchange::TakeLoginLine(const IrcMessage& line)
{
    if (!running_ || !feeding_) return false;
    Apply(machine_->Receive(line, Now()));
    return true;
}

void ServerExchange::LoginReaderEnded(const std::string& why)
{
    if (running_) Apply(machine_->Closed(why));
}

void ServerExchange::Apply(ExchangeStep step)
{
    if (!running_) return;
    // The login's lines go first and are never held. A connection that has
    // ended refuses them: the reader's report of it, with the reason, ends
    // the machine.
    if (!step.send.empty()) frame_.Sender().Send(step.send, QString(), LineSender::Pace::Immediate);
    if (onStep) onStep(step);
    if (step.ending == ExchangeStep::Ending::None) {
        Rearm();
        return;
    }
    running_ = false;
    deadline_.stop();
    // Whatever comes after the ending waits in the session: for the handlers
    // after a login, or to go with the session after anything else.
    if (ChatSession* session = frame_.Session(); session && feeding_) session->Drain().FeedLogin(nullptr, true);
    feeding_ = false;
    // Told from a fresh turn of the event loop: the dialog may show a box or
    // close the connection, which must not happen inside the drain's loop.
    QMetaObject::invokeMethod(this, [this, step = std::move(step)] {
        if (onEnded) onEnded(step);
    }, Qt::QueuedConnection);
}

void ServerExchange::Rearm()
{
    const std::optional<ExchangeMachine::Ms> due = machine_->NextDeadline();
    if (!due) {
        deadline_.stop();
        return;
    }
    const auto wait = std::max<long long>(0, (*due - Now()).count());
    deadline_.start(static_cast<int>(std::min<long long>(wait, 24LL * 3600 * 1000)));
}

void ServerExchange::CallOff()
{
    if (!running_) return;
    running_ = false;
    feeding_ = false;
    deadline_.stop();
    frame_.Lifecycle().AbandonLogin();  // also ends a connect under way
}
