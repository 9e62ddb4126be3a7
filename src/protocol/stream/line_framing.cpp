#include "protocol/stream/line_framing.h"

#include "protocol/stream/transport_error.h"

#include <cstring>
#include <utility>

namespace {

constexpr std::size_t kReceiveChunk = 65536;

}  // namespace

std::string LineFraming::TooLongText()
{
    return "Received line is longer than " + std::to_string(kMaxLineLength) + " bytes.";
}

std::string LineFraming::DroppedForLengthText()
{
    return "The server sent a line longer than " + std::to_string(kMaxLineLength) +
           " bytes, so the connection was closed.";
}

bool LineFraming::HoldsTlsRecord() const
{
    // A record starts with its type (20 to 23: handshake, alert, data...)
    // and the protocol's major version 3.
    const std::size_t avail = buffer_.size() - start_;
    if (avail < 3) return false;
    const auto type = static_cast<unsigned char>(buffer_[start_]);
    return type >= 20 && type <= 23 && buffer_[start_ + 1] == 3;
}

bool LineFraming::TakeLine(std::string& line)
{
    const auto avail = buffer_.size() - start_;
    const char* base = buffer_.data() + start_;
    const auto tooLong = [&] {
        buffer_.clear();
        start_ = 0;
        return TransportError(TooLongText());
    };
    if (const void* lf = std::memchr(base, '\n', avail)) {
        std::size_t n = static_cast<const char*>(lf) - base;
        const std::size_t consumed = n + 1;
        if (n > 0 && base[n - 1] == '\r') --n;
        if (n > kMaxLineLength) throw tooLong();
        line.assign(base, n);
        start_ += consumed;
        if (start_ == buffer_.size()) {
            buffer_.clear();
            start_ = 0;
        }
        return true;
    }
    if (avail > kMaxLineLength + 1 || (avail == kMaxLineLength + 1 && base[avail - 1] != '\r')) throw tooLong();
    return false;
}

StreamStatus LineFraming::ReceiveFrom(ByteStream& stream)
{
    if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    const std::size_t old = buffer_.size();
    buffer_.resize(old + kReceiveChunk);
    std::size_t got = 0;
    const StreamStatus status = stream.Receive(buffer_.data() + old, kReceiveChunk, got);
    buffer_.resize(old + (status == StreamStatus::Done ? got : 0));
    return status;
}

std::string LineFraming::TakeFailure() { return std::exchange(failure_, std::string()); }
