#include "protocol/stream/host_lookup.h"

#include "protocol/stream/byte_stream.h"
#include "protocol/stream/transport_error.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// What one lookup found, shared by the caller and the thread that asks the
// system; the last of the two to let go frees it.
struct LookupResult {
    LookupResult() : doneFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~LookupResult()
    {
        if (doneFd >= 0) ::close(doneFd);
    }
    LookupResult(const LookupResult&) = delete;
    LookupResult& operator=(const LookupResult&) = delete;

    int doneFd;  // readable once the fields below are written
    int rc = 0;
    int systemError = 0;
    std::vector<SocketAddress> found;
};

void Run(LookupResult& result, const std::string& host, const std::string& service)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    result.rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    result.systemError = errno;
    if (result.rc == 0) {
        for (const addrinfo* ai = list; ai; ai = ai->ai_next) {
            if (ai->ai_addrlen > sizeof(sockaddr_storage)) continue;
            SocketAddress address;
            std::memcpy(&address.storage, ai->ai_addr, ai->ai_addrlen);
            address.length = ai->ai_addrlen;
            result.found.push_back(address);
        }
        ::freeaddrinfo(list);
    }
    Wake(result.doneFd);
}

}  // namespace

std::string SocketAddress::Text() const
{
    char text[NI_MAXHOST];
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&storage), length, text, sizeof text, nullptr, 0,
                      NI_NUMERICHOST) != 0)
        return {};
    return text;
}

int SocketAddress::Port() const
{
    if (Family() == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_port);
    if (Family() == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(&storage)->sin_port);
    return 0;
}

std::optional<SocketAddress> SocketAddress::FromNumbers(const std::string& address, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* list = nullptr;
    if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) return std::nullopt;
    std::optional<SocketAddress> result;
    if (list && list->ai_addrlen <= sizeof(sockaddr_storage)) {
        result.emplace();
        std::memcpy(&result->storage, list->ai_addr, list->ai_addrlen);
        result->length = list->ai_addrlen;
    }
    ::freeaddrinfo(list);
    return result;
}

std::optional<std::vector<SocketAddress>> LookUpHost(const std::string& host, int port, int wakeFd)
{
    auto result = std::make_shared<LookupResult>();
    if (result->doneFd < 0) throw TransportError("Cannot look up " + host + ": " + SystemText(errno));
    const std::string service = std::to_string(port);
    try {
        std::thread([result, host, service] { Run(*result, host, service); }).detach();
    } catch (const std::system_error&) {
        Run(*result, host, service);  // no thread to spare: the lookup runs here, and cannot be called off
    }
    for (;;) {
        pollfd fds[2] = {{result->doneFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            throw TransportError("Cannot look up " + host + ": " + SystemText(errno));
        }
        if (fds[1].revents) return std::nullopt;
        if (fds[0].revents) break;
    }
    if (result->rc != 0) {
        const std::string why = result->rc == EAI_SYSTEM ? SystemText(result->systemError) : ::gai_strerror(result->rc);
        throw TransportError("Cannot resolve host " + host + ": " + why + ".");
    }
    if (result->found.empty()) throw TransportError("Cannot resolve host " + host + ": the name has no address.");
    return std::move(result->found);
}

std::string HostAndPort(const std::string& host, int port)
{
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return shown + ":" + std::to_string(port);
}
