#pragma once
// The bytes under the lines: an opened, non-blocking stream socket, plain or
// wrapped in a secure layer. Nothing here waits: a call that cannot go on
// says what to wait for, and the caller polls for it beside its own wake-up.
#include <cstddef>
#include <cstdint>
#include <string>

enum class StreamStatus {
    Done,    // some bytes went out or came in
    Wait,    // nothing can go now: poll the descriptor for the events the stream names
    Closed,  // the peer ended the stream cleanly (receiving only)
    Failed,  // ErrorText() says why
};

class ByteStream {
public:
    virtual ~ByteStream();
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    int Descriptor() const { return fd_; }

    // Hands up to size bytes on without waiting; n tells how many on Done.
    // Called by one thread at a time.
    virtual StreamStatus Send(const char* data, std::size_t size, std::size_t& n) = 0;
    // Takes up to size received bytes without waiting; n tells how many on
    // Done. Called by one thread at a time, possibly beside Send on another.
    virtual StreamStatus Receive(char* data, std::size_t size, std::size_t& n) = 0;
    // The poll events that let a Send or Receive that said Wait go on.
    virtual short SendWaitsFor() const;
    virtual short ReceiveWaitsFor() const;
    // True when received bytes wait inside the stream, where a poll of the
    // descriptor does not see them.
    virtual bool HoldsReceived() const;
    // Bytes written to the socket in all, as they travel on the wire.
    virtual std::uint64_t BytesOnWire() const = 0;
    // Tells the peer the stream ends (where the layer has its own word for
    // it) and ends both directions of the socket; wakes every poll on it.
    virtual void Shutdown();

    // Of the bytes on the wire, those the peer's side has not taken yet.
    std::size_t Unacknowledged() const;
    // The peer has hung up or the socket failed (received bytes may still wait).
    bool PeerGone() const;
    // Closing the descriptor resets the connection instead of waiting behind
    // bytes the peer does not take.
    void ResetOnClose();
    std::string ErrorText() const { return error_; }

protected:
    explicit ByteStream(int fd) : fd_(fd) {}
    int fd_;
    std::string error_;
};

// The socket as it is.
class PlainStream final : public ByteStream {
public:
    explicit PlainStream(int fd) : ByteStream(fd) {}
    StreamStatus Send(const char* data, std::size_t size, std::size_t& n) override;
    StreamStatus Receive(char* data, std::size_t size, std::size_t& n) override;
    std::uint64_t BytesOnWire() const override { return sent_; }

private:
    std::uint64_t sent_ = 0;
};

std::string SystemText(int err);
// Makes the descriptor readable, ending every poll that watches it.
void Wake(int wakeFd);
