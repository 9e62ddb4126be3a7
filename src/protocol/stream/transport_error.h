#pragma once
// The one error type of the wire: every failure of a connection.
#include <stdexcept>

// Any failure of the connection: closed by either side, a socket error, an
// over-long line, a line that would smuggle a second command onto the wire,
// or a server that stopped taking what is sent to it.
class TransportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
