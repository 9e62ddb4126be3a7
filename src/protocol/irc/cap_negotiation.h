#pragma once
// The capability talk that a login with a password holds before it registers:
// what the server offers, and a SASL PLAIN login when it offers one.
#include <cstddef>
#include <string>
#include <vector>

// One login's capability talk, as a machine fed with the lines the server
// sends (and with its silences); it never reads or writes by itself. It asks
// "CAP LS 302"; a server that offers "sasl" with PLAIN among its mechanisms
// (or names none) is asked for it, and the nick and password go out as SASL
// PLAIN credentials. Whenever the server took part in the talk, the talk ends
// with "CAP END", so that registration is never held.
class CapNegotiation {
public:
    enum class Outcome {
        Pending,   // still talking
        NoCap,     // the server knows no CAP (an unknown-command reply, or silence): the login goes on as without it
        NickServ,  // no SASL to be had here: the nick service is asked as without it
        LoggedIn,  // SASL accepted the password: no nick-service identify is needed
        Refused,   // SASL refused the password
    };

    // What to do after a step: lines to write, in order, and lines for the
    // server log (never the password, nor the credentials in any form).
    struct Step {
        std::vector<std::string> send;
        std::vector<std::string> log;
    };

    // A capability list longer than this many lines, or than this many bytes
    // in all, or a talk of more lines than kMaxLines, is cut off: the server
    // gets "CAP END" and the login goes on without SASL.
    static constexpr std::size_t kMaxListLines = 64;
    static constexpr std::size_t kMaxListBytes = 16384;
    static constexpr std::size_t kMaxLines = 200;

    CapNegotiation(std::string nick, std::string password);

    // The talk's first line.
    Step Start();
    // One received line (without CR LF). A keep-alive is answered.
    Step Receive(const std::string& rawline);
    // The server said nothing for the wait that ends a reply.
    Step Silence();

    Outcome Result() const { return outcome_; }
    bool Done() const { return outcome_ != Outcome::Pending; }

private:
    enum class Stage { NotStarted, List, Request, Mechanism, Credentials };

    Step Finish(Outcome outcome, std::vector<std::string> log = {});
    Step ListLine(const std::vector<std::string>& params);
    Step Acknowledgement(const std::vector<std::string>& params);
    Step Numeric(int code, const std::vector<std::string>& params);

    std::string nick_;
    std::string password_;
    Stage stage_ = Stage::NotStarted;
    Outcome outcome_ = Outcome::Pending;
    std::size_t lines_ = 0;
    std::size_t listLines_ = 0;
    std::string offered_;           // the capability words received so far, space-separated
    bool plainUnavailable_ = false;  // the server named its mechanisms, and PLAIN was not one
};

// The words of a server line: the command (or numeric) first, then its
// parameters, the last one taken whole after " :". Message tags and the
// source prefix are left out.
std::vector<std::string> LineWords(const std::string& rawline);
