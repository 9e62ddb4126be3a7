#pragma once
// Real IRC servers from Debian (inspircd with atheme services, or ngircd) started
// on free loopback ports for one test, and a plain line client to act as a second user.
#include "protocol/stream/line_connection.h"

#include <QString>
#include <string>
#include <vector>

class RealIrcServer {
public:
    enum class Kind { InspircdWithServices, Ngircd };

    // The TLS client ports of an inspircd started with them, by the
    // certificate each one shows.
    enum class TlsPort { Verified, SelfSigned, Expired, WrongHost, UnknownIssuer };

    // Where clients reach the server: 127.0.0.1, or [::1] as well.
    enum class Families { Ipv4, Ipv4AndIpv6 };
    // How much a client may send: as much as it likes, or what a real
    // network takes before it cuts a client off for flooding (inspircd).
    enum class Flood { Unlimited, RealNetworkLimits };

    // Starts the server in a fresh temporary folder; check Ok() afterwards.
    // With tls, inspircd also listens with TLS (TlsPort), with certificates
    // made now by an authority of the test's own (CaFile()). With
    // Ipv4AndIpv6, clients reach Port() on ::1 too.
    explicit RealIrcServer(Kind kind, bool tls = false, Families families = Families::Ipv4,
                           Flood flood = Flood::Unlimited);
    ~RealIrcServer();  // stops it and removes the folder
    RealIrcServer(const RealIrcServer&) = delete;
    RealIrcServer& operator=(const RealIrcServer&) = delete;

    bool Ok() const { return ok_; }
    QString Error() const { return error_; }
    int Port() const { return port_; }
    int Port(TlsPort which) const { return port_ + 2 + static_cast<int>(which); }
    // The test's certificate authority (for SSL_CERT_FILE).
    QString CaFile() const { return dir_ + "/tls/ca.pem"; }
    Kind ServerKind() const { return kind_; }
    // Stops the server's processes (its clients see the connection end).
    bool Stop();
    // Starts it again on the same ports, after Stop.
    bool Restart();
    // Sends sig (SIGSTOP, SIGCONT) to every process of the server.
    void Signal(int sig);
    static bool Installed(Kind kind);
    static const char* Name(Kind kind);

private:
    bool Start();

    Kind kind_;
    bool tls_ = false;
    bool ipv6_ = false;
    Flood flood_ = Flood::Unlimited;
    QString dir_;
    int port_ = 0;
    bool ok_ = false;
    QString error_;
};

class MainWindow;

// Registers the frame's connection as nick on a real server with raw USER and
// NICK lines, as a successful login would, then stores the nick, ends any
// MemoServ listing and starts the reader. False when no welcome came in time.
bool LogInFrame(MainWindow& frame, int port, const std::string& nick, int timeoutMs = 15000);

// A second user for integration tests: registers a nick and then speaks raw lines.
class TestIrcClient {
public:
    TestIrcClient() = default;
    // Connects, sends USER and NICK and waits for the welcome (001); false on failure.
    bool Login(int port, const std::string& nick, int timeoutMs = 10000);
    void Send(const std::string& line);
    // Reads until a line containing `needle` arrives (PINGs answered); the line, or empty on time-out.
    std::string WaitFor(const std::string& needle, int timeoutMs = 10000);
    const std::vector<std::string>& Seen() const { return seen_; }
    LineConnection& Connection() { return conn_; }

private:
    LineConnection conn_;
    std::vector<std::string> seen_;
};
