#include "shell/connection_keeper.h"

#include "common/line_sender.h"
#include "common/shown_text.h"
#include "common/timings.h"
#include "common/wire_text.h"
#include "protocol/irc/reader_thread.h"
#include "protocol/irc/sent_lines.h"
#include "protocol/stream/line_connection.h"
#include "shell/main_window.h"
#include "shell/server_exchange.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace {

ReconnectBackoff::Limits BackoffLimits()
{
    ReconnectBackoff::Limits limits;
    limits.first = ReconnectBackoff::Ms(timing().reconnectFirstMs);
    limits.longest = ReconnectBackoff::Ms(timing().reconnectLongestMs);
    return limits;
}

LinkWatch::Limits WatchLimits()
{
    LinkWatch::Limits limits;
    limits.quietBeforePing = LinkWatch::Ms(timing().quietBeforePingMs);
    limits.answerWithin = LinkWatch::Ms(timing().pingAnswerMs);
    return limits;
}

int Seconds(LinkWatch::Ms ms) { return static_cast<int>(std::ceil(static_cast<double>(ms.count()) / 1000.0)); }

}  // namespace

ConnectionKeeper::ConnectionKeeper(MainWindow& frame)
    : QObject(&frame), frame_(frame),
      backoff_(BackoffLimits(), [] { return QRandomGenerator::global()->generateDouble(); })
{
    connect(&watchTimer_, &QTimer::timeout, this, &ConnectionKeeper::WatchTick);
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, &ConnectionKeeper::CountdownTick);
}

ConnectionKeeper::~ConnectionKeeper() = default;

std::string ConnectionKeeper::NickVariant(const std::string& nick, int variant)
{
    return nick + std::string(static_cast<std::size_t>(std::clamp(variant, 0, 2)), '_');
}

QString ConnectionKeeper::DeadLinkText(LinkWatch::Ms silence)
{
    return QStringLiteral("The server stopped answering (no reply in %1 s).").arg(Seconds(silence));
}

QString ConnectionKeeper::LagText(std::optional<LinkWatch::Ms> lag)
{
    if (!lag || lag->count() < 2000) return {};
    return QStringLiteral("Lag %1 s").arg(static_cast<double>(lag->count()) / 1000.0, 0, 'f', 1);
}

void ConnectionKeeper::LoggedIn(const LoginMachine::Settings& settings)
{
    login_ = settings;
    login_->nick = NickVariant(settings.nick, 0);
    reconnecting_ = false;
    variant_ = 0;
    countdown_.stop();
    backoff_ = ReconnectBackoff(BackoffLimits(), [] { return QRandomGenerator::global()->generateDouble(); });
    const auto now = LinkWatch::Clock::now();
    watch_.emplace(now, WatchLimits());
    lastFed_ = now;
    lagShown_.clear();
    // Ticks often enough to notice a limit within a small share of it.
    const int shortest = std::min(timing().quietBeforePingMs, timing().pingAnswerMs);
    watchTimer_.start(std::clamp(shortest / 20, 20, 1000));
    emit StatusChanged(QString(), false);
}

void ConnectionKeeper::WatchTick()
{
    if (!watch_) return;
    const auto now = LinkWatch::Clock::now();
    if (ReaderThread* reader = frame_.Reader()) {
        const auto heard = reader->LastHeard();
        if (heard > lastFed_) {
            lastFed_ = heard;
            watch_->Heard(heard);
        }
    }
    switch (watch_->Tick(now)) {
    case LinkWatch::Action::SendPing:
        frame_.Sender().Send(sent::PingLine(watch_->PingToken()), QString(), LineSender::Pace::Immediate);
        break;
    case LinkWatch::Action::Dead: {
        const QString why = DeadLinkText(watch_->DeadAfter());
        watch_.reset();
        watchTimer_.stop();
        frame_.Lifecycle().EndBecause(why);  // the ending starts the tries
        break;
    }
    case LinkWatch::Action::None: break;
    }
}

bool ConnectionKeeper::TakeOwnPong(const std::string& token)
{
    if (!watch_ || !watch_->AnsweredBy(token, LinkWatch::Clock::now())) return false;
    const QString lag = LagText(watch_->Lag());
    if (lag != lagShown_ && !reconnecting_) {
        lagShown_ = lag;
        emit StatusChanged(lag, false);
    }
    return true;
}

void ConnectionKeeper::ConnectionEnded(bool byUser, bool wasLoggedIn)
{
    watch_.reset();
    watchTimer_.stop();
    lagShown_.clear();
    if (byUser) {
        Stop();
        return;
    }
    if (!automatic_ || !wasLoggedIn || !login_ || reconnecting_) return;
    reconnecting_ = true;
    variant_ = 0;
    ScheduleTry();
}

void ConnectionKeeper::ScheduleTry()
{
    const LinkWatch::Ms wait = backoff_.NextDelay();
    tryAt_ = LinkWatch::Clock::now() + wait;
    frame_.AppendLog(QStringLiteral("Reconnecting in %1 s (try %2)...").arg(Seconds(wait)).arg(backoff_.Tries()));
    countdown_.start(std::min<int>(1000, static_cast<int>(wait.count())));
    CountdownTick();
}

void ConnectionKeeper::CountdownTick()
{
    if (!reconnecting_) return;
    const auto left = std::chrono::duration_cast<LinkWatch::Ms>(tryAt_ - LinkWatch::Clock::now());
    if (left.count() <= 0) {
        countdown_.stop();
        TryLogin();
        return;
    }
    if (countdown_.interval() > left.count()) countdown_.start(static_cast<int>(left.count()));
    emit StatusChanged(QStringLiteral("Reconnecting in %1 s").arg(Seconds(left)), true);
}

void ConnectionKeeper::ReconnectNow()
{
    if (!reconnecting_ || (exchange_ && exchange_->Running())) return;
    countdown_.stop();
    TryLogin();
}

void ConnectionKeeper::TryLogin()
{
    if (!reconnecting_ || !login_) return;
    frame_.Lifecycle().SettleEndedReader();
    LineConnection& connection = frame_.Connection();
    LoginMachine::Settings settings = *login_;
    settings.nick = NickVariant(login_->nick, variant_);
    settings.capSilence = LoginMachine::Ms(timing().replyMs);
    settings.welcomeLimit = LoginMachine::Ms(timing().welcomeLimitMs);
    settings.greetingSilence = LoginMachine::Ms(timing().greetingMs);
    settings.greetingLimit = LoginMachine::Ms(timing().burstLimitMs);
    frame_.AppendLog(QStringLiteral("Reconnecting to %1 at port %2 as %3...")
                         .arg(FromWire(connection.Host()))
                         .arg(connection.Port())
                         .arg(ShownWireText(settings.nick)));
    emit StatusChanged(QStringLiteral("Reconnecting..."), true);
    exchange_ = std::make_unique<ServerExchange>(frame_);
    exchange_->onStep = [this](const ExchangeStep& step) {
        QStringList lines;
        for (const std::string& line : step.log) lines << FromWire(line);
        if (!lines.isEmpty()) frame_.AppendLogLines(lines);
        if (step.welcomed) frame_.Lifecycle().LoginWelcomed();
    };
    exchange_->onEnded = [this](const ExchangeStep& step) { LoginEnded(step); };
    exchange_->onOpenFailed = [this](const std::string& error, const CertificateError* untrusted) {
        OpenFailed(error, untrusted);
    };
    exchange_->Run(connection, std::make_unique<LoginMachine>(std::move(settings)));
}

void ConnectionKeeper::LoginEnded(const ExchangeStep& step)
{
    if (!reconnecting_) return;
    const QString message = ShownText(FromWire(step.message));
    switch (step.ending) {
    case ExchangeStep::Ending::Done: {
        const LoginMachine::Settings settings = *login_;
        const std::string nick = NickVariant(settings.nick, variant_);
        reconnecting_ = false;
        frame_.AppendLog(QStringLiteral("Reconnected."));
        frame_.SetCurrentNick(FromWire(settings.nick));  // the account stays the login's
        if (variant_ > 0) frame_.FollowOwnRename(FromWire(nick));
        frame_.AfterLogin(true);
        LoggedIn(settings);
        return;
    }
    case ExchangeStep::Ending::Refused:
        frame_.Lifecycle().AbandonLogin();
        if (step.message == kLoginNickInUse && variant_ < 2) {
            ++variant_;  // the old connection may still hold the nick: the next one at once
            QTimer::singleShot(0, this, &ConnectionKeeper::TryLogin);
            return;
        }
        if (step.message == kLoginNickInUse) {
            variant_ = 0;
            frame_.AppendLog(message);
            ScheduleTry();
            return;
        }
        // A refused password or nick needs the user: no more tries.
        GiveUp(message);
        return;
    case ExchangeStep::Ending::Failed:
        // Why the try failed comes before the ending's "Disconnected..", as a
        // dead link's reason does.
        frame_.AppendLog(message);
        frame_.Lifecycle().AbandonLogin();
        ScheduleTry();
        return;
    case ExchangeStep::Ending::None: return;
    }
}

void ConnectionKeeper::OpenFailed(const std::string& error, const CertificateError* untrusted)
{
    if (!reconnecting_) return;
    const QString failure = ShownText(FromWire(error));
    if (untrusted) {
        // The certificate is a question for the user, asked by Connect.
        GiveUp(failure);
        return;
    }
    frame_.AppendLog(failure);
    ScheduleTry();
}

void ConnectionKeeper::GiveUp(const QString& why)
{
    frame_.AppendLog(why);
    Stop();
}

void ConnectionKeeper::Stop()
{
    countdown_.stop();
    const bool was = std::exchange(reconnecting_, false);
    if (exchange_ && exchange_->Running()) exchange_->CallOff();
    if (was) {
        frame_.AppendLog(QStringLiteral("Reconnecting stopped."));
        emit StatusChanged(QString(), false);
    }
}
