#pragma once
// Runs a blocking socket call off the UI thread while the window stays painted.
#include "protocol/stream/line_connection.h"

#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace blocking_wait {

// Runs job on a worker thread; meanwhile a local event loop on the calling
// (UI) thread keeps every event going, user input included, so that a Cancel
// button or a window's close box works while the job waits. The caller keeps
// its window from starting anything else meanwhile, and calls the job off by
// closing what it waits on (LineConnection::Disconnect wakes its waits).
// Posted events that the job caused (such as a notification queued by the
// connection) are delivered before this returns. An exception thrown by job
// is rethrown here, on the calling thread.
void RunOnWorker(const std::function<void()>& job);

// True while some RunOnWorker is waiting.
bool Active();

}  // namespace blocking_wait

// Runs fn through blocking_wait::RunOnWorker and gives back its result; an
// exception thrown by fn is rethrown on the calling thread.
template <class Fn>
auto RunBlocking(Fn&& fn) -> std::invoke_result_t<Fn&>
{
    using Result = std::invoke_result_t<Fn&>;
    if constexpr (std::is_void_v<Result>) {
        blocking_wait::RunOnWorker([&] { fn(); });
    } else {
        std::optional<Result> result;
        blocking_wait::RunOnWorker([&] { result.emplace(fn()); });
        return std::move(*result);
    }
}

// conn.ReadLine(timeoutMs) (an empty text on time-out) without freezing the
// window: a line already buffered is returned at once (every few dozen
// milliseconds of a long burst the events waiting are handled first, input
// included), otherwise the wait runs through RunBlocking.
// beforeWait runs once the wait for a line has lasted a moment (on the
// calling thread, while the wait goes on).
std::string ReadLineWhilePainting(LineConnection& conn, int timeoutMs, const std::function<void()>& beforeWait = {});
// conn.Connect() (name lookup and connect) through RunBlocking. A Disconnect
// during the wait calls the connect off (not the name lookup).
void ConnectWhilePainting(LineConnection& conn);
