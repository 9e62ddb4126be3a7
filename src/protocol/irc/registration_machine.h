#pragma once
// Registering a new nick with the nick service, as a machine: a throw-away
// client registers (USER, NICK), waits for the welcome and the end of the
// greeting, sends the register request and judges the answer.
#include "protocol/irc/exchange_machine.h"

#include <string>

// One registration run. USER and NICK go out as soon as the connection is
// open; refusals come before the welcome (001). After the welcome the end of
// the greeting (376, 422, or a silence) brings the register request; the first
// numeric or notice after it is the answer judged; what follows at once is
// logged, and the run is done.
class RegistrationMachine : public ExchangeMachine {
public:
    struct Settings {
        std::string fullname;
        std::string email;
        std::string nick;
        std::string password;
        Ms welcomeLimit{30000};    // no welcome within this from the start: the run fails
        Ms greetingSilence{3000};  // after the welcome, a silence this long ends the greeting
        Ms answerWait{3000};       // the wait for the answer to the register request
        Ms tailFirst{3};           // the wait for the first line after that answer
        Ms tailSilence{3000};      // and for each one after it
        Ms burstLimit{60000};      // a burst (greeting, tail) that never falls silent fails the run
    };

    explicit RegistrationMachine(Settings settings);

    ExchangeStep Start(Ms now) override;
    ExchangeStep Receive(const IrcMessage& line, Ms now) override;
    ExchangeStep Tick(Ms now) override;
    std::optional<Ms> NextDeadline() const override;

private:
    enum class Stage { NotStarted, Registering, Greeting, Answer, Tail };

    ExchangeStep Registering(const IrcMessage& line);
    ExchangeStep Judge(const IrcMessage& line);
    ExchangeStep SendRequest(Ms now);
    ExchangeStep Refuse(const IrcMessage& line, const char* message);
    void Enter(Stage stage, Ms now);

    Settings settings_;
    Stage stage_ = Stage::NotStarted;
    Ms startedAt_{0};       // of the run
    Ms stageStartedAt_{0};  // of the current stage
    Ms lastLineAt_{0};
    int tailLines_ = 0;
};
