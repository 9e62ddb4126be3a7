// Decoding rate of realistic server lines, and the reader loop end to end over
// loopback beside a loop that only reads and frames the same lines (the ceiling).
#include "protocol/irc/irc_message.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/reader_thread.h"
#include "support/scripted_server.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

std::vector<std::string> MixedLines()
{
    std::string names;
    for (int i = 0; i < 50; ++i) names += (i % 7 == 0 ? "@nick" : "nick") + std::to_string(i) + (i < 49 ? " " : "");
    return {
        ":alice!~alice@host-198-51-100-7.example.net PRIVMSG #lobby :\x02hello\x02 there, \x03" "4how\x03 is everyone :)",
        ":irc.example.net 353 ann = #lobby :" + names,
        ":irc.example.net 322 ann #germany 42 :[+nt] Willkommen im deutschen Raum",
        "PING :irc.example.net",
        ":bob!~bob@198.51.100.22 JOIN :#lobby",
    };
}

constexpr std::size_t kRepeat = 200000;  // five lines each: 1,000,000 lines

void BM_ParseLine(benchmark::State& state)
{
    const auto lines = MixedLines();
    std::size_t n = 0;
    for (auto _ : state) {
        IrcMessage m;
        m.Decode(lines[n++ % lines.size()]);
        benchmark::DoNotOptimize(m);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// Counts what the reader queues, on a thread of its own standing in for the UI.
class CountingConsumer : public LineConsumer {
public:
    explicit CountingConsumer(LineQueue& q) : queue_(q), thread_([this] { Run(); }) {}
    ~CountingConsumer() override
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void LinesReady() override
    {
        {
            std::lock_guard lock(mutex_);
            ready_ = true;
        }
        cv_.notify_all();
    }
    void ReaderEnded(const std::string&, bool) override {}
    std::size_t Count() const { return count_; }
    void WaitFor(std::size_t n)
    {
        std::unique_lock lock(mutex_);
        doneCv_.wait(lock, [&] { return count_ >= n; });
    }

private:
    void Run()
    {
        LineQueue::Batch batch;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                cv_.wait_for(lock, std::chrono::milliseconds(2), [&] { return ready_ || stop_; });
                if (stop_) return;
                ready_ = false;
            }
            while (queue_.TakeBatch(batch)) {
                {
                    std::lock_guard lock(mutex_);
                    count_ += batch.size();
                }
                doneCv_.notify_all();
                queue_.Recycle(batch);
            }
        }
    }
    LineQueue& queue_;
    std::mutex mutex_;
    std::condition_variable cv_, doneCv_;
    bool ready_ = false, stop_ = false;
    std::atomic<std::size_t> count_{0};
    std::thread thread_;
};

// Opens conn to the scripted server.
void ConnectTo(LineConnection& conn, const ScriptedServer& server)
{
    conn.SetHost("127.0.0.1");
    conn.SetPort(server.Port());
    conn.Connect();
}

void BM_ReaderLoopEndToEnd(benchmark::State& state)
{
    const auto lines = MixedLines();
    const std::size_t queued = kRepeat * 4;  // every line but the PINGs reaches the queue
    for (auto _ : state) {
        ScriptedServer server;
        LineConnection conn;
        ConnectTo(conn, server);
        LineQueue queue(8192);
        CountingConsumer consumer(queue);
        const auto t0 = std::chrono::steady_clock::now();
        server.SendMany(lines, kRepeat);
        {
            ReaderThread reader(conn, "ann", queue, consumer);
            consumer.WaitFor(queued);
            const auto secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            state.SetIterationTime(secs);
            reader.Terminate();
            conn.Disconnect();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRepeat * lines.size()));
}

void BM_ReadAndFrameOnly(benchmark::State& state)
{
    const auto lines = MixedLines();
    for (auto _ : state) {
        ScriptedServer server;
        LineConnection conn;
        ConnectTo(conn, server);
        const auto t0 = std::chrono::steady_clock::now();
        server.SendMany(lines, kRepeat);
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < kRepeat * lines.size(); ++i) bytes += conn.ReadLine().size();
        benchmark::DoNotOptimize(bytes);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        conn.Disconnect();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRepeat * lines.size()));
}

}  // namespace

BENCHMARK(BM_ParseLine)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadAndFrameOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReaderLoopEndToEnd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
