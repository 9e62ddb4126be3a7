#pragma once
// The byte stream wrapped in TLS (OpenSSL): the handshake with the server
// name sent, the chain checked against the system's certificate store
// (SSL_CERT_FILE and SSL_CERT_DIR honoured) and the host name or address
// checked against the certificate, TLS 1.2 at least. The first stream opened
// makes the process ignore SIGPIPE, so that a write to a connection the
// server closed fails instead of ending the program.
#include "protocol/stream/byte_stream.h"
#include "protocol/stream/transport_error.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

struct TlsSettings {
    bool enabled = false;
    // SHA-256 fingerprints ("AB:CD:...") the user trusts for this host
    // although the certificate does not verify.
    std::vector<std::string> trusted;
    // The whole handshake, and the wait for the server's first answer to it
    // (a server that does not speak TLS on the port stays silent).
    std::chrono::milliseconds handshakeLimit{30000};
    std::chrono::milliseconds answerLimit{8000};
};

// What a TLS connection knows of the server's certificate, for showing it.
struct PeerCertificate {
    std::string subject;      // "CN=irc.example.org, O=..." (RFC 2253, most specific first)
    std::string issuer;       // the same for the authority that signed it
    std::string fingerprint;  // SHA-256, "AB:CD:..." (32 pairs)
    std::string protocol;     // "TLSv1.3"
    bool verified = false;    // the chain and the name verified; else the user trusts the fingerprint
};

// The server's certificate did not verify and is not trusted for the host:
// nothing was sent on the connection.
class CertificateError : public TransportError {
public:
    CertificateError(const std::string& host, std::string reason, std::string fingerprint, bool changed);
    const std::string& Host() const { return host_; }
    // Why the certificate is not trusted, in plain words.
    const std::string& Reason() const { return reason_; }
    // The certificate's SHA-256 fingerprint, "AB:CD:..." (32 pairs).
    const std::string& Fingerprint() const { return fingerprint_; }
    // Another certificate was trusted for this host before.
    bool Changed() const { return changed_; }

private:
    std::string host_, reason_, fingerprint_;
    bool changed_;
};

class TlsStream final : public ByteStream {
public:
    ~TlsStream() override;

    // Runs the handshake on the connected descriptor fd (taken over, closed on
    // failure) for host. nullptr when wakeFd was woken first; throws
    // TransportError when the handshake fails or runs out of time, and
    // CertificateError when the certificate is not trusted.
    static std::unique_ptr<TlsStream> Open(int fd, const std::string& host, const TlsSettings& settings,
                                           int wakeFd);

    StreamStatus Send(const char* data, std::size_t size, std::size_t& n) override;
    StreamStatus Receive(char* data, std::size_t size, std::size_t& n) override;
    short SendWaitsFor() const override { return sendWait_; }
    short ReceiveWaitsFor() const override { return receiveWait_; }
    bool HoldsReceived() const override;
    std::uint64_t BytesOnWire() const override;
    void Shutdown() override;

    // The server's certificate, as checked by the handshake.
    const PeerCertificate& Peer() const { return peer_; }

    // Words for an X509 verification result, naming host where it matters.
    static std::string VerifyFailureText(long result, const std::string& host);

private:
    explicit TlsStream(int fd) : ByteStream(fd) {}
    bool Handshake(const std::string& host, const TlsSettings& settings, int wakeFd);
    void CheckCertificate(const std::string& host, const TlsSettings& settings);
    std::string FailureText(int ret, const char* what);

    SSL_CTX* context_ = nullptr;
    SSL* ssl_ = nullptr;
    mutable std::mutex mutex_;  // the reader and the writer share one SSL
    PeerCertificate peer_;
    short sendWait_;
    short receiveWait_;
};
