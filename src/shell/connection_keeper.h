#pragma once
// Staying connected for days: the watch on a silent link (a PING of the
// program's own, the lag, a dead link ended) and reconnecting by itself after
// an ending the user did not ask for, logging in as the last login did.
#include "protocol/irc/link_watch.h"
#include "protocol/irc/login_machine.h"
#include "protocol/irc/reconnect_backoff.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>

class MainWindow;
class ServerExchange;
struct ExchangeStep;
class CertificateError;

class ConnectionKeeper : public QObject {
    Q_OBJECT
public:
    explicit ConnectionKeeper(MainWindow& frame);
    ~ConnectionKeeper() override;

    // A login succeeded (the dialog's or a reconnect's): its settings are
    // kept in memory for this run only, the link is watched from now on and
    // the waits between tries start again from the first.
    void LoggedIn(const LoginMachine::Settings& settings);
    // The connection ended. byUser (Disconnect, Exit) never reconnects; any
    // other ending of a logged-in connection starts the tries.
    void ConnectionEnded(bool byUser, bool wasLoggedIn);
    // "Reconnect now": the waiting try starts at once.
    void ReconnectNow();
    // "Stop", a Connect by hand or the frame closing: no more tries.
    void Stop();
    // A PONG with token: true when it answered the program's own PING.
    bool TakeOwnPong(const std::string& token);

    // Reconnecting by itself on (the default) or off (an ending then stays one).
    void SetAutomatic(bool on) { automatic_ = on; }
    // True from an ending until a reconnect succeeds or is stopped.
    bool Reconnecting() const { return reconnecting_; }
    // The nick the next try asks for: the login's, then with "_", then "__".
    static std::string NickVariant(const std::string& nick, int variant);
    // The dead link's words: "The server stopped answering (no reply in 120 s)."
    static QString DeadLinkText(LinkWatch::Ms silence);
    // What the status bar shows of the link: the lag of the last answer
    // (empty under 2 s).
    static QString LagText(std::optional<LinkWatch::Ms> lag);

signals:
    // The status bar's text about the link: the lag or the countdown; empty
    // for nothing to show. waiting: a try is counted down (the actions show).
    void StatusChanged(const QString& text, bool waiting);

private:
    void WatchTick();
    void ScheduleTry();
    void CountdownTick();
    void TryLogin();
    void LoginEnded(const ExchangeStep& step);
    void OpenFailed(const std::string& error, const CertificateError* untrusted);
    void GiveUp(const QString& why);

    MainWindow& frame_;
    std::optional<LoginMachine::Settings> login_;  // the last successful login's
    std::optional<LinkWatch> watch_;
    QTimer watchTimer_;
    LinkWatch::TimePoint lastFed_{};
    QString lagShown_;
    ReconnectBackoff backoff_;
    QTimer countdown_;
    LinkWatch::TimePoint tryAt_{};
    bool reconnecting_ = false;
    bool automatic_ = true;
    int variant_ = 0;  // which nick the try asks for
    std::unique_ptr<ServerExchange> exchange_;
};
