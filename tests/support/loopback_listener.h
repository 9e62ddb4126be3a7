#pragma once
// Listening sockets of the test servers, on the loopback address of either
// family: 127.0.0.1 or ::1.
#include <string>

enum class Loopback { Ipv4, Ipv6 };

// "127.0.0.1" or "::1".
const char* LoopbackAddress(Loopback family);

// A socket listening on the loopback address at a port the system chose
// (port tells which), with flags (SOCK_NONBLOCK and the like) given to
// socket(). Throws std::runtime_error naming what failed.
int ListenOnLoopback(Loopback family, int backlog, int flags, int& port);
