#pragma once
// The login as a machine: NICK and USER (with the capability talk and SASL
// PLAIN for a password) as soon as the connection is open, the welcome, the
// nick service's identify, and the end of the server's greeting.
#include "protocol/irc/cap_negotiation.h"
#include "protocol/irc/exchange_machine.h"

#include <string>

// The refusal of a login whose nick someone else has.
inline constexpr char kLoginNickInUse[] = "Nick name is already in use.";

// One login try. It sends "CAP LS 302", the USER and the NICK line at once;
// a guest ends the capability talk with "CAP END" at its first answer, a
// login with a password asks for SASL PLAIN when the server offers it. The
// login succeeds only at the welcome (001): before it come the refusals, after
// it the identify line (unless SASL took the password) and then the end of the
// greeting (376 or 422), or, from a server that sends neither, a silence.
class LoginMachine : public ExchangeMachine {
public:
    struct Settings {
        std::string nick;
        std::string password;  // ignored for a guest
        bool guest = true;
        Ms capSilence{2000};      // a capability talk the server stopped answering is given up
        Ms welcomeLimit{30000};   // no welcome within this from the start: the login fails
        Ms greetingSilence{3000}; // after the welcome, a silence this long ends the greeting
        Ms greetingLimit{60000};  // a greeting that never ends (nor falls silent) fails the login
    };

    explicit LoginMachine(Settings settings);

    ExchangeStep Start(Ms now) override;
    ExchangeStep Receive(const IrcMessage& line, Ms now) override;
    ExchangeStep Tick(Ms now) override;
    std::optional<Ms> NextDeadline() const override;

    bool Welcomed() const { return stage_ == Stage::Greeting; }
    // SASL accepted the password: no identify line was sent.
    bool SaslLoggedIn() const { return cap_.Result() == CapNegotiation::Outcome::LoggedIn; }

private:
    enum class Stage { NotStarted, Registering, Greeting };

    ExchangeStep BeforeWelcome(const IrcMessage& line);
    ExchangeStep Welcome(const IrcMessage& line);
    ExchangeStep AfterWelcome(const IrcMessage& line);
    // The refusal text for a line received before the welcome; empty for none.
    std::string Refusal(const IrcMessage& line) const;
    // The capability talk's step, ending the login when SASL refused the password.
    ExchangeStep CapStep(CapNegotiation::Step talk, bool bySilence);
    // The line for the log, with the keep-alive's answer after a keep-alive.
    void LogReceived(ExchangeStep& step, const IrcMessage& line) const;

    Settings settings_;
    CapNegotiation cap_;
    Stage stage_ = Stage::NotStarted;
    Ms startedAt_{0};
    Ms welcomedAt_{0};
    Ms lastLineAt_{0};
};
