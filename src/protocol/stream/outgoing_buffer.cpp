#include "protocol/stream/outgoing_buffer.h"

#include "protocol/stream/transport_error.h"

#include <poll.h>

namespace {

// How long a write that must not wait may still wait for room in a full
// outgoing buffer: long enough for a burst to drain, short enough not to be felt.
constexpr std::chrono::milliseconds kRoomWait{100};
// How often a bulk writer waiting for room asks whether to go on waiting.
constexpr std::chrono::milliseconds kRoomPoll{50};
// How often the writer looks whether the server took what the system holds for it.
constexpr std::chrono::milliseconds kAckPoll{250};

std::string Duration(std::chrono::milliseconds ms)
{
    const auto n = ms.count();
    if (n >= 1000 && n % 1000 == 0) return std::to_string(n / 1000) + " s";
    return std::to_string(n) + " ms";
}

std::string StallMessage(std::chrono::milliseconds stall)
{
    return "The server stopped taking what is sent to it: nothing went out for " + Duration(stall) +
           ", so the connection was closed.";
}

}  // namespace

void OutgoingBuffer::Start(ByteStream& stream, int wakeFd)
{
    std::lock_guard lock(mutex_);
    stream_ = &stream;
    wakeFd_ = wakeFd;
    lastProgress_ = Clock::now();
    writer_ = std::thread([this] { WriterLoop(); });
}

// Counts what the server's side took since the last look as progress.
void OutgoingBuffer::NoteAcknowledged(std::size_t unacknowledged)
{
    const std::uint64_t wire = stream_->BytesOnWire();
    const std::uint64_t taken = wire - std::min<std::uint64_t>(wire, unacknowledged);
    if (taken > acknowledged_) {
        acknowledged_ = taken;
        lastProgress_ = Clock::now();
    }
}

void OutgoingBuffer::Consume(std::size_t n)
{
    outStart_ += n;
    if (outStart_ == outbox_.size()) {
        outbox_.clear();
        outStart_ = 0;
    } else if (outStart_ > (std::size_t{1} << 16) && outStart_ * 2 > outbox_.size()) {
        outbox_.erase(0, outStart_);
        outStart_ = 0;
    }
}

// What the stream takes at once of the outbox; false when it failed.
// Called with mutex_ held.
bool OutgoingBuffer::SendWithoutWaiting()
{
    while (Pending() > 0) {
        std::size_t n = 0;
        const StreamStatus status = stream_->Send(outbox_.data() + outStart_, Pending(), n);
        if (status == StreamStatus::Done) {
            Consume(n);
            progress_.notify_all();
            continue;
        }
        return status == StreamStatus::Wait;
    }
    return true;
}

// Adds whole lines for the writer thread. Called with mutex_ held.
void OutgoingBuffer::Append(const std::vector<std::string>& lines, std::size_t count)
{
    if (idle_) {
        // The stall clock runs from here while something waits.
        idle_ = false;
        lastProgress_ = Clock::now();
    }
    for (std::size_t i = 0; i < lines.size() && i < count; ++i) outbox_.append(lines[i]).append("\r\n");
    dataWaiting_.notify_one();
}

// Gives up on the connection. Called by the writer with mutex_ held.
void OutgoingBuffer::Fail(std::string why, bool stall)
{
    failure_ = std::move(why);
    stalled_ = stall;
    failed_ = true;
    stream_->Shutdown();
    Wake(wakeFd_);
    progress_.notify_all();
}

void OutgoingBuffer::WriterLoop()
{
    // What waits for the server is the outbox and what the system holds but
    // the server's side has not taken. The stall clock counts from the last
    // time the server's side took bytes (or something started waiting).
    std::unique_lock lock(mutex_);
    for (;;) {
        if (closing_) return;
        if (!SendWithoutWaiting()) {
            Fail(stream_->ErrorText(), false);
            return;
        }
        const std::size_t unacknowledged = stream_->Unacknowledged();
        NoteAcknowledged(unacknowledged);
        if (Pending() == 0 && unacknowledged == 0) {
            idle_ = true;
            dataWaiting_.wait(lock, [&] { return closing_ || Pending() > 0; });
            continue;
        }
        const auto deadline = lastProgress_ + limits_.stall;
        const auto now = Clock::now();
        if (now >= deadline) {
            Fail(StallMessage(limits_.stall), true);
            return;
        }
        const auto wait = std::min(std::chrono::ceil<std::chrono::milliseconds>(deadline - now), kAckPoll);
        if (Pending() > 0) {
            // The stream cannot take more now: wait until it can.
            const short events = stream_->SendWaitsFor();
            lock.unlock();
            pollfd fds[2] = {{stream_->Descriptor(), events, 0}, {wakeFd_, POLLIN, 0}};
            ::poll(fds, 2, static_cast<int>(wait.count()));
            lock.lock();
        } else {
            dataWaiting_.wait_for(lock, wait);
        }
    }
}

void OutgoingBuffer::Write(const std::vector<std::string>& lines, std::size_t count)
{
    std::unique_lock lock(mutex_);
    const bool room = progress_.wait_for(lock, kRoomWait, [&] { return Ended() || Pending() < limits_.buffer; });
    if (Ended()) throw TransportError(closing_ ? std::string("Not connected.") : failure_);
    if (!room) throw TransportError("The server is not taking what is sent to it; nothing was sent.");
    Append(lines, count);
}

bool OutgoingBuffer::WriteWhenRoom(const std::vector<std::string>& lines, std::size_t count,
                                   const std::function<bool()>& keepWaiting)
{
    std::unique_lock lock(mutex_);
    auto nextAsk = Clock::now() + kRoomPoll;
    for (;;) {
        if (Ended()) throw TransportError(failed_ ? failure_ : std::string("Connection closed."));
        if (Pending() < limits_.buffer / 2) break;
        progress_.wait_until(lock, nextAsk);
        if (Clock::now() >= nextAsk) {
            lock.unlock();
            const bool keep = keepWaiting();
            lock.lock();
            if (!keep) return false;
            nextAsk = Clock::now() + kRoomPoll;
        }
    }
    Append(lines, count);
    return true;
}

bool OutgoingBuffer::WaitUntilSent(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    progress_.wait_for(lock, timeout, [&] { return Ended() || Pending() == 0; });
    return !Ended() && Pending() == 0;
}

std::size_t OutgoingBuffer::Unsent()
{
    std::lock_guard lock(mutex_);
    return Pending();
}

bool OutgoingBuffer::Finish()
{
    std::lock_guard lock(mutex_);
    // Lines written just before the close still go out if the stream takes
    // them at once; nothing waits for the server here.
    if (stream_ && !closing_ && !failed_) SendWithoutWaiting();
    const bool left = stream_ && (failed_ || Pending() > 0);
    closing_ = true;
    dataWaiting_.notify_all();
    progress_.notify_all();
    return left;
}

void OutgoingBuffer::Stop()
{
    if (!writer_.joinable() || writer_.get_id() == std::this_thread::get_id()) return;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    dataWaiting_.notify_all();
    progress_.notify_all();
    writer_.join();
}
