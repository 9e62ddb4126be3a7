#pragma once
// The common shape of the login and registration machines: fed with received
// lines, with the clock and with the connection's end, they say what to send,
// what to log and how the exchange ended. They never read or write by themselves.
#include "protocol/irc/irc_message.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// What a machine asks for after one input.
struct ExchangeStep {
    enum class Ending {
        None,     // the exchange goes on
        Done,     // it reached its goal (the login is complete, the request was sent)
        Refused,  // the server said no: message is the box's text
        Failed,   // the server broke the exchange (closed, fell silent, flooded): message says why
    };

    std::vector<std::string> send;  // lines to write, in this order
    std::vector<std::string> log;   // lines for the log, in this order (never a password)
    std::string progress;           // what the dialog shows from now on; empty: unchanged
    bool welcomed = false;          // the server welcomed the client (001) with this input
    Ending ending = Ending::None;
    std::string message;

    // Appends what a later step asks for; its progress and ending win where set.
    void Add(ExchangeStep later);
};

// A login or registration exchange as a machine on its own clock. Times are
// milliseconds on any steady clock the caller keeps; NextDeadline says when
// Tick is due next. After an ending every input gives an empty step.
class ExchangeMachine {
public:
    using Ms = std::chrono::milliseconds;
    virtual ~ExchangeMachine() = default;

    // The connection is open.
    virtual ExchangeStep Start(Ms now) = 0;
    // One received line (the keep-alive among them: the reader has answered it).
    virtual ExchangeStep Receive(const IrcMessage& line, Ms now) = 0;
    // The clock; due at NextDeadline, harmless at any other time.
    virtual ExchangeStep Tick(Ms now) = 0;
    // The connection ended; why is the transport's text (empty when it gave none).
    ExchangeStep Closed(const std::string& why);
    // When Tick is due; none once the exchange is over.
    virtual std::optional<Ms> NextDeadline() const = 0;
    bool Over() const { return over_; }

protected:
    // Marks the exchange over and gives its ending.
    ExchangeStep End(ExchangeStep::Ending ending, std::string message = {});

private:
    bool over_ = false;
};

// "30 seconds", "1500 ms": a limit in the words the messages use.
std::string DurationText(ExchangeMachine::Ms ms);
// Why an exchange was given up: the server went on sending for limit without
// the pause that ends a burst.
std::string FloodText(ExchangeMachine::Ms limit);
// Why a login was given up: no welcome within limit.
std::string NoWelcomeText(ExchangeMachine::Ms limit);
