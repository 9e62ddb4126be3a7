#pragma once
// A one-client TLS server on loopback (127.0.0.1 or ::1) for tests and
// benchmarks, with a certificate made for 127.0.0.1 and ::1 (MakeCertificate): it sends a block of lines
// after the handshake, or takes part in the handshake and then reads nothing,
// or takes the connection and never answers the handshake.
#include "support/loopback_listener.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TlsTestServer {
public:
    enum class Mode {
        Send,    // the handshake, then the lines (repeat times over), then it waits
        SendPlain,  // the same without TLS: the lines in plain text, for comparison
        Deaf,    // the handshake, then nothing is read any more
        Silent,  // the connection is taken, the handshake never answered
        HangUp,  // the connection is taken and closed at once, in the middle of the handshake
        OldTls,  // offers nothing newer than TLS 1.1
        Close,   // the handshake, then the connection is closed
    };

    // With holdLines, the lines wait for Release() after the handshake.
    TlsTestServer(const QString& certFile, const QString& keyFile, Mode mode,
                  std::vector<std::string> lines = {}, std::size_t repeat = 1, bool holdLines = false,
                  Loopback family = Loopback::Ipv4);
    ~TlsTestServer();
    TlsTestServer(const TlsTestServer&) = delete;
    TlsTestServer& operator=(const TlsTestServer&) = delete;

    int Port() const { return port_; }
    // Lets a server made with holdLines send its lines.
    void Release() { released_ = true; }
    // The handshake with the client went through.
    bool HandshakeDone() const { return handshakeDone_; }
    // The server name the client sent in the handshake; empty when it sent none.
    std::string ServerName() const;

    // A self-signed certificate and its key for 127.0.0.1 and ::1 in folder
    // (cert.pem, key.pem); it may stand as its own authority for SSL_CERT_FILE.
    static bool MakeCertificate(const QString& folder);

private:
    void Run(const std::string& certFile, const std::string& keyFile);
    void WaitForRelease();
    std::string Block() const;

    Mode mode_;
    std::vector<std::string> lines_;
    std::size_t repeat_;
    int listenFd_ = -1;
    int stopFd_ = -1;
    std::atomic<int> clientFd_{-1};
    int port_ = 0;
    std::atomic<bool> handshakeDone_{false};
    std::atomic<bool> released_;
    mutable std::mutex serverNameMutex_;
    std::string serverName_;
    std::thread thread_;
};
