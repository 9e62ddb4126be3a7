// A hostile server's flood of numeric replies that no handler takes: every
// one goes to the server log, at the speed the program takes them, for a
// fixed time (TALVESSA_FLOOD_SECONDS, 10 s unless set; 90 s is the full run).
// A 10 ms timer on the UI thread measures the longest time the user would
// wait for an answer; resident memory is sampled at each tick.
//
//   BM_NumericFlood   lines_per_s, longest_stall_ms, peak_rss_MiB, log_lines
#include "shell/main_window.h"
#include "support/window_controls.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"

#include "bench_support.h"

#include "qt_benchmark_main.h"
#include "support/window_controls.h"
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

int FloodSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("TALVESSA_FLOOD_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : 10;
}

// 1,000 numeric lines of a server's message of the day, about 100 bytes each.
std::string NumericBlock()
{
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += ":irc.example.net 372 me :- line " + std::to_string(i) +
                 " of a message of the day that never ends, sent as fast as it goes\r\n";
    return block;
}

void BM_NumericFlood(benchmark::State& state)
{
    const std::string block = NumericBlock();
    constexpr std::size_t kBlocksPerStep = 20;  // 20,000 lines per script step
    const qint64 floodMs = qint64(FloodSeconds()) * 1000;
    for (auto _ : state) {
        ScriptedServer server;
        server.SetTimeout(60000);
        MainWindow frame;
        bench::ShowConnected(frame, server);
        QCoreApplication::processEvents();
        const double rssBefore = bench::ResidentMiB();
        double peak = rssBefore;
        std::size_t steps = 0;
        QElapsedTimer clock;
        clock.start();
        // Another step whenever the server has sent the last one, until the
        // time is up; then until the program has taken the last line.
        const auto floodOver = [&] {
            peak = std::max(peak, bench::ResidentMiB());
            if (server.Failed()) return true;
            if (!server.Done()) return false;
            if (clock.elapsed() < floodMs) {
                server.SendBulk(block, kBlocksPerStep);
                ++steps;
                return false;
            }
            return !frame.Lifecycle().LinesWaiting();
        };
        qint64 stall = 0;
        if (!bench::RunUntil(floodOver, stall, floodMs + 60000) || server.Failed()) {
            state.SkipWithError("the flood did not end in time");
            break;
        }
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["flood_s"] = seconds;
        state.counters["lines_per_s"] = static_cast<double>(steps * kBlocksPerStep * 1000) / seconds;
        state.counters["longest_stall_ms"] = static_cast<double>(stall);
        state.counters["rss_before_MiB"] = rssBefore;
        state.counters["peak_rss_MiB"] = peak;
        state.counters["log_lines"] = Control<TranscriptView>(frame, "serverLog")->Store().Count();
        frame.Lifecycle().StopReader(2000);
    }
}

BENCHMARK(BM_NumericFlood)->Iterations(1)->Repetitions(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
