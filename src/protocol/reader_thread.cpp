#include "protocol/reader_thread.h"

#include "protocol/dispatch.h"
#include "protocol/sent_lines.h"

chandler::chandler(LineConnection& connection, std::string ownnick, LineQueue& queue, LineConsumer& consumer)
    : connection_(connection), ownnick_(std::move(ownnick)), queue_(queue), consumer_(consumer)
{
    thread_ = std::thread([this] { Execute(); });
}

chandler::~chandler()
{
    Terminate();
    // A read waiting on an open connection would never return: an owner that
    // disposes of a running reader gets its connection closed rather than a hang.
    if (!finished_) connection_.Disconnect();
    if (thread_.joinable()) thread_.join();
}

void chandler::Terminate()
{
    stop_ = true;
    queue_.Wake();
}

bool chandler::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(endMutex_);
    return ended_.wait_for(lock, timeout, [this] { return finished_.load(); });
}

void chandler::End(const std::string* transportError)
{
    // Told before the thread counts as finished, so an owner that waited for the
    // end never disposes of the consumer while it is still being called.
    if (transportError) consumer_.ReaderEnded(*transportError);
    {
        std::lock_guard lock(endMutex_);
        finished_ = true;
    }
    ended_.notify_all();
}

void chandler::Execute()
{
    const auto keepWaiting = [this] { return !stop_ && connection_.Connected(); };
    try {
        while (!stop_) {
            std::string line;
            try {
                line = connection_.ReadLine();
            } catch (const TransportError& e) {
                const std::string why = e.what();
                End(&why);
                return;
            }
            if (line.empty()) continue;

            ircmessageencoder parsed;
            try {
                parsed.ParseLine(line);
            } catch (const ConversionError&) {
                continue;  // a malformed numeric costs that one line only
            }

            const Route route = DispatchRoute(parsed);
            if (route.handler == Handler::Drop) continue;
            if (route.handler == Handler::Pong) {
                // A keep-alive whose token holds a bare CR or a NUL gets no answer:
                // echoing it would put a second command on the wire.
                const std::string pong = PongLineFor(parsed.rawline);
                if (!LineConnection::Sendable(pong)) continue;
                try {
                    connection_.WriteLine(pong);
                } catch (const TransportError& e) {
                    const std::string why = e.what();
                    End(&why);
                    return;
                }
                continue;
            }
            const auto pushed = queue_.Push(std::move(parsed), keepWaiting);
            if (pushed == LineQueue::PushResult::Closed) {
                if (stop_) break;
                const std::string why = "Connection closed.";
                End(&why);
                return;
            }
            if (pushed == LineQueue::PushResult::AddedToEmpty) consumer_.LinesReady();
        }
    } catch (const std::exception&) {
        // Nothing may cross the thread boundary; an unexpected failure ends the
        // reader like a stop request (memory exhaustion is the only candidate).
    }
    End(nullptr);
}
