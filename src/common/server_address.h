#pragma once
// What the server box or --server names: "host" (plain, the default port),
// "host:port" (plain), "ircs://host[:port]" (TLS, 6697 unless given) and
// "irc://host[:port]" (plain). The host is a name, an IPv4 address or an
// IPv6 address: in brackets ("[::1]", "[2001:db8::1]:6697",
// "ircs://[::1]:7000"), or alone when no port follows ("::1"). The TLS
// switch beside the server box makes a host written without a scheme use
// TLS, on 6697 unless a port is given.
#include <QString>

struct ServerAddress {
    QString host;  // an IPv6 address without its brackets
    int port = 0;
    bool tls = false;
};

inline constexpr int kTlsPort = 6697;

// The address, or (error not empty) why the text names none: said before
// anything is opened.
struct ParsedServerAddress {
    ServerAddress address;
    QString error;
};

ParsedServerAddress ParseServerAddress(const QString& text, bool tlsSwitch, int plainPort);

// The host as an address writes it before ":port": an IPv6 address in
// brackets (once: a host already in brackets stays as it is).
QString HostForAddress(const QString& host);
