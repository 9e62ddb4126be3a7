#pragma once
// The framing of received bytes into lines: a line ends at LF, one CR before
// the LF is dropped, and no line may be longer than kMaxLineLength bytes.
#include "protocol/stream/byte_stream.h"

#include <cstddef>
#include <string>

class LineFraming {
public:
    static constexpr std::size_t kMaxLineLength = 16384;

    // The next whole line received, without its terminator; false when no
    // whole line is there yet. Throws TransportError for a line longer than
    // kMaxLineLength (what was received is dropped then).
    bool TakeLine(std::string& line);
    // Adds what the stream holds now to the received bytes.
    StreamStatus ReceiveFrom(ByteStream& stream);

    // A failure met after lines were already handed out, kept for the next read.
    void KeepFailure(std::string why) { failure_ = std::move(why); }
    // The kept failure, cleared; empty when there is none.
    std::string TakeFailure();

    // The error text of an over-long line.
    static std::string TooLongText();
    // What the user is told when the connection was dropped for one.
    static std::string DroppedForLengthText();
    // The bytes left over look like a TLS record (a plain connection to a
    // port that speaks TLS gets its alert before the close).
    bool HoldsTlsRecord() const;

private:
    std::string buffer_;  // bytes received but not yet returned
    std::size_t start_ = 0;  // first unread byte in buffer_
    std::string failure_;
};
