#include "support/tls_test_server.h"

#include <stdexcept>

#include <QProcess>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

bool TlsTestServer::MakeCertificate(const QString& folder)
{
    QProcess p;
    p.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                        "-keyout", folder + "/key.pem", "-out", folder + "/cert.pem", "-days", "2", "-subj",
                        "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,IP:::1"});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

TlsTestServer::TlsTestServer(const QString& certFile, const QString& keyFile, Mode mode,
                             std::vector<std::string> lines, std::size_t repeat, bool holdLines, Loopback family)
    : mode_(mode), lines_(std::move(lines)), repeat_(repeat), released_(!holdLines)
{
    try {
        listenFd_ = ListenOnLoopback(family, 4, 0, port_);
    } catch (const std::runtime_error&) {
        return;  // Port() stays 0
    }
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this, cert = certFile.toStdString(), key = keyFile.toStdString()] { Run(cert, key); });
}

TlsTestServer::~TlsTestServer()
{
    if (stopFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(stopFd_, &one, sizeof one);
    }
    if (const int c = clientFd_; c >= 0) ::shutdown(c, SHUT_RDWR);  // ends a write in progress
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    if (stopFd_ >= 0) ::close(stopFd_);
}

void TlsTestServer::WaitForRelease()
{
    while (!released_) {
        pollfd stop{stopFd_, POLLIN, 0};
        if (::poll(&stop, 1, 1) > 0) return;
    }
}

std::string TlsTestServer::Block() const
{
    std::string block;
    for (const std::string& line : lines_) block.append(line).append("\r\n");
    return block;
}

void TlsTestServer::Run(const std::string& certFile, const std::string& keyFile)
{
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    if (::poll(fds, 2, -1) <= 0 || fds[1].revents) return;
    const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    if (mode_ == Mode::HangUp) {
        ::close(client);
        return;
    }
    clientFd_ = client;
    const auto waitForStop = [this] {
        pollfd stop{stopFd_, POLLIN, 0};
        ::poll(&stop, 1, -1);
    };
    SSL_CTX* ctx = nullptr;
    SSL* ssl = nullptr;
    if (mode_ == Mode::SendPlain) {
        WaitForRelease();
        const std::string block = Block();
        for (std::size_t i = 0; i < repeat_; ++i) {
            std::size_t done = 0;
            while (done < block.size()) {
                const ssize_t n = ::send(client, block.data() + done, block.size() - done, MSG_NOSIGNAL);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            if (done < block.size()) break;
        }
    } else if (mode_ != Mode::Silent) {
        ctx = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str());
        SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM);
        if (mode_ == Mode::OldTls) {
            SSL_CTX_set_security_level(ctx, 0);  // the system's default refuses TLS 1.1 itself
            SSL_CTX_set_min_proto_version(ctx, TLS1_VERSION);
            SSL_CTX_set_max_proto_version(ctx, TLS1_1_VERSION);
        }
        ssl = SSL_new(ctx);
        SSL_set_fd(ssl, client);
        if (SSL_accept(ssl) == 1) {
            if (const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name)) {
                std::lock_guard lock(serverNameMutex_);
                serverName_ = name;
            }
            handshakeDone_ = true;
            if (mode_ == Mode::Close) ::shutdown(client, SHUT_RDWR);
            if (mode_ == Mode::Send) {
                WaitForRelease();
                const std::string block = Block();
                for (std::size_t i = 0; i < repeat_; ++i)
                    if (SSL_write(ssl, block.data(), static_cast<int>(block.size())) <= 0) break;
            }
        }
        ERR_clear_error();
    }
    waitForStop();
    clientFd_ = -1;
    if (ssl) SSL_free(ssl);
    if (ctx) SSL_CTX_free(ctx);
    ::close(client);
}

std::string TlsTestServer::ServerName() const
{
    std::lock_guard lock(serverNameMutex_);
    return serverName_;
}
