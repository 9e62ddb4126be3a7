#pragma once
// What the server box or --server names: "host" (plain, the default port),
// "host:port" (plain), "ircs://host[:port]" (TLS, 6697 unless given) and
// "irc://host[:port]" (plain). The TLS switch beside the server box makes a
// host written without a scheme use TLS, on 6697 unless a port is given.
#include <QString>

struct ServerAddress {
    QString host;
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
