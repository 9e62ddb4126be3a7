#include "protocol/stream/tls_stream.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

// The host without an IPv6 scope ("fe80::1%eth0" names the address fe80::1).
std::string WithoutScope(const std::string& host) { return host.substr(0, host.find('%')); }

// An IPv4 or IPv6 address in numbers: checked against the certificate's
// address entries, and never sent as the server name (a name is not an address).
bool IsAddress(const std::string& host)
{
    unsigned char buf[16];
    const std::string address = WithoutScope(host);
    return ::inet_pton(AF_INET, address.c_str(), buf) == 1 || ::inet_pton(AF_INET6, address.c_str(), buf) == 1;
}

std::string Seconds(std::chrono::milliseconds ms)
{
    const auto n = ms.count();
    if (n % 1000 == 0) return std::to_string(n / 1000) + " s";
    return std::to_string(n) + " ms";
}

// The oldest queued OpenSSL error in words, or empty.
std::string OpenSslText()
{
    const unsigned long e = ERR_peek_error();
    if (e == 0) return {};
    const char* reason = ERR_reason_error_string(e);
    return reason ? reason : "error " + std::to_string(e);
}

std::string Fingerprint(X509* cert)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    if (!X509_digest(cert, EVP_sha256(), md, &len)) return {};
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned int i = 0; i < len; ++i) {
        if (i) out += ':';
        out += hex[md[i] >> 4];
        out += hex[md[i] & 15];
    }
    return out;
}

// A name of a certificate in one line (RFC 2253: "CN=..., O=...").
std::string NameText(X509_NAME* name)
{
    if (!name) return {};
    BIO* out = BIO_new(BIO_s_mem());
    if (!out) return {};
    X509_NAME_print_ex(out, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    std::string text = size > 0 && data ? std::string(data, static_cast<std::size_t>(size)) : std::string();
    BIO_free(out);
    return text;
}

}  // namespace

CertificateError::CertificateError(const std::string& host, std::string reason, std::string fingerprint,
                                   bool changed)
    : TransportError("The certificate of " + host + " is not trusted: " + reason),
      host_(host),
      reason_(std::move(reason)),
      fingerprint_(std::move(fingerprint)),
      changed_(changed)
{
}

std::string TlsStream::VerifyFailureText(long result, const std::string& host)
{
    switch (result) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return "The certificate is self-signed: no authority this computer trusts vouches for it.";
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return "The certificate has expired.";
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return "The certificate is not valid yet.";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return "The certificate was issued for another name, not for " + host + ".";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return "The certificate was issued by an authority this computer does not know.";
    case X509_V_ERR_CERT_REVOKED:
        return "The certificate has been revoked.";
    default:
        return std::string("The certificate could not be verified: ") + X509_verify_cert_error_string(result) + ".";
    }
}

TlsStream::~TlsStream()
{
    if (ssl_) SSL_free(ssl_);
    if (context_) SSL_CTX_free(context_);
}

std::unique_ptr<TlsStream> TlsStream::Open(int fd, const std::string& host, const TlsSettings& settings, int wakeFd)
{
    // OpenSSL writes to the socket with write(): to a connection the server
    // has closed, that raises SIGPIPE, which would end the whole program
    // instead of failing the one write.
    static std::once_flag ignorePipe;
    std::call_once(ignorePipe, [] { std::signal(SIGPIPE, SIG_IGN); });
    std::unique_ptr<TlsStream> stream(new TlsStream(fd));
    if (!stream->Handshake(host, settings, wakeFd)) return nullptr;
    stream->CheckCertificate(host, settings);
    return stream;
}

std::string TlsStream::FailureText(int ret, const char* what)
{
    const int err = SSL_get_error(ssl_, ret);
    if (err == SSL_ERROR_ZERO_RETURN) return std::string("The server closed the connection ") + what + ".";
    if (err == SSL_ERROR_SYSCALL) {
        const int sys = errno;
        if (ret == 0 || sys == 0 || sys == ECONNRESET || sys == EPIPE)
            return std::string("The server closed the connection ") + what + ".";
        return std::string("Socket error ") + what + ": " + SystemText(sys);
    }
    const unsigned long e = ERR_peek_error();
    if (ERR_GET_LIB(e) == ERR_LIB_SSL && (ERR_GET_REASON(e) == SSL_R_WRONG_VERSION_NUMBER ||
                                          ERR_GET_REASON(e) == SSL_R_PACKET_LENGTH_TOO_LONG))
        return "The server at this port does not speak TLS: it answered in plain text. "
               "Connect without TLS, or to the server's TLS port.";
    if (ERR_GET_LIB(e) == ERR_LIB_SSL && (ERR_GET_REASON(e) == SSL_R_TLSV1_ALERT_PROTOCOL_VERSION ||
                                          ERR_GET_REASON(e) == SSL_R_UNSUPPORTED_PROTOCOL))
        return "The server offers only TLS versions older than 1.2, which are no longer safe, "
               "so the connection was not made.";
    const std::string text = OpenSslText();
    return std::string("The secure connection failed ") + what + (text.empty() ? "." : ": " + text + ".");
}

bool TlsStream::Handshake(const std::string& host, const TlsSettings& settings, int wakeFd)
{
    ERR_clear_error();
    context_ = SSL_CTX_new(TLS_client_method());
    if (!context_) throw TransportError("Cannot set up TLS: " + OpenSslText());
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    SSL_CTX_set_options(context_, SSL_OP_IGNORE_UNEXPECTED_EOF);
    // The system's store, or SSL_CERT_FILE / SSL_CERT_DIR where they are set.
    SSL_CTX_set_default_verify_paths(context_);
    ssl_ = SSL_new(context_);
    if (!ssl_) throw TransportError("Cannot set up TLS: " + OpenSslText());
    SSL_set_mode(ssl_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_set_fd(ssl_, fd_);
    // The chain is checked during the handshake, and the verdict read after it:
    // a certificate the user trusts for this host may still go ahead.
    SSL_set_verify(ssl_, SSL_VERIFY_NONE, nullptr);
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
    if (IsAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(param, WithoutScope(host).c_str());
    } else {
        SSL_set_tlsext_host_name(ssl_, host.c_str());
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
    }

    const auto start = Clock::now();
    const auto deadline = start + settings.handshakeLimit;
    const auto answerBy = start + std::min(settings.answerLimit, settings.handshakeLimit);
    for (;;) {
        ERR_clear_error();
        errno = 0;
        const int ret = SSL_connect(ssl_);
        if (ret == 1) break;
        const int err = SSL_get_error(ssl_, ret);
        short events;
        if (err == SSL_ERROR_WANT_READ)
            events = POLLIN;
        else if (err == SSL_ERROR_WANT_WRITE)
            events = POLLOUT;
        else
            throw TransportError(FailureText(ret, "during the secure handshake"));
        // Nothing at all came back: the server does not take part.
        const bool answered = BIO_number_read(SSL_get_rbio(ssl_)) > 0;
        const auto limit = answered ? deadline : answerBy;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(limit - Clock::now()).count();
        if (left <= 0) {
            if (!answered)
                throw TransportError("The server did not answer the secure handshake within " +
                                     Seconds(std::min(settings.answerLimit, settings.handshakeLimit)) +
                                     ": the port may not speak TLS. Connect without TLS, or to the server's TLS port.");
            throw TransportError("The secure handshake did not finish within " + Seconds(settings.handshakeLimit) +
                                 ".");
        }
        pollfd fds[2] = {{fd_, events, 0}, {wakeFd, POLLIN, 0}};
        const int rc = ::poll(fds, 2, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (rc < 0 && errno != EINTR) throw TransportError("Socket error: " + SystemText(errno));
        if (rc > 0 && fds[1].revents) return false;
    }
    sendWait_ = POLLOUT;
    receiveWait_ = POLLIN;
    return true;
}

void TlsStream::CheckCertificate(const std::string& host, const TlsSettings& settings)
{
    const long result = SSL_get_verify_result(ssl_);
    X509* cert = SSL_get1_peer_certificate(ssl_);
    if (!cert) throw TransportError("The server sent no certificate.");
    const std::string fingerprint = Fingerprint(cert);
    peer_.subject = NameText(X509_get_subject_name(cert));
    peer_.issuer = NameText(X509_get_issuer_name(cert));
    peer_.fingerprint = fingerprint;
    peer_.protocol = SSL_get_version(ssl_);
    peer_.verified = result == X509_V_OK;
    X509_free(cert);
    if (result == X509_V_OK) return;
    const auto& trusted = settings.trusted;
    if (std::find(trusted.begin(), trusted.end(), fingerprint) != trusted.end()) return;
    std::string reason = VerifyFailureText(result, host);
    switch (result) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        // The authority may well be known, in a store that cannot be read.
        if (const char* store = std::getenv("SSL_CERT_FILE"); store && *store && ::access(store, R_OK) != 0)
            reason += std::string(" The certificate store named by SSL_CERT_FILE (") + store +
                      ") cannot be read: " + SystemText(errno) + ".";
        break;
    default:
        break;
    }
    throw CertificateError(host, reason, fingerprint, !trusted.empty());
}

StreamStatus TlsStream::Send(const char* data, std::size_t size, std::size_t& n)
{
    std::lock_guard lock(mutex_);
    ERR_clear_error();
    errno = 0;
    const int ret = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
    if (ret > 0) {
        n = static_cast<std::size_t>(ret);
        return StreamStatus::Done;
    }
    switch (SSL_get_error(ssl_, ret)) {
    case SSL_ERROR_WANT_WRITE:
        sendWait_ = POLLOUT;
        return StreamStatus::Wait;
    case SSL_ERROR_WANT_READ:
        sendWait_ = POLLIN;
        return StreamStatus::Wait;
    default:
        error_ = "Cannot send to the server: " + FailureText(ret, "while sending");
        return StreamStatus::Failed;
    }
}

StreamStatus TlsStream::Receive(char* data, std::size_t size, std::size_t& n)
{
    std::lock_guard lock(mutex_);
    ERR_clear_error();
    errno = 0;
    const int ret = SSL_read(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
    if (ret > 0) {
        n = static_cast<std::size_t>(ret);
        return StreamStatus::Done;
    }
    const int err = SSL_get_error(ssl_, ret);
    switch (err) {
    case SSL_ERROR_WANT_READ:
        receiveWait_ = POLLIN;
        return StreamStatus::Wait;
    case SSL_ERROR_WANT_WRITE:
        receiveWait_ = POLLOUT;
        return StreamStatus::Wait;
    case SSL_ERROR_ZERO_RETURN:
        return StreamStatus::Closed;
    case SSL_ERROR_SYSCALL:
        if (errno == 0) return StreamStatus::Closed;
        error_ = "Socket error: " + SystemText(errno);
        return StreamStatus::Failed;
    default:
        error_ = FailureText(ret, "while receiving");
        return StreamStatus::Failed;
    }
}

bool TlsStream::HoldsReceived() const
{
    std::lock_guard lock(mutex_);
    return SSL_pending(ssl_) > 0;
}

std::uint64_t TlsStream::BytesOnWire() const
{
    std::lock_guard lock(mutex_);
    return BIO_number_written(SSL_get_wbio(ssl_));
}

void TlsStream::Shutdown()
{
    {
        std::lock_guard lock(mutex_);
        // Says goodbye if the socket takes it at once; never waits.
        if (SSL_is_init_finished(ssl_)) {
            ERR_clear_error();
            SSL_shutdown(ssl_);
            ERR_clear_error();
        }
    }
    ByteStream::Shutdown();
}
