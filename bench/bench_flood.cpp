// Floods through the whole road of a received line: a scripted server on
// loopback, the frame's connection and reader, the line queue, the UI-side
// drain, HandleMessage and the renderer. Measures end to end, from the first
// line sent to the last line shown, with a 10 ms timer on the UI thread whose
// longest gap between ticks is the longest stall a user would feel.
//
//   BM_RoomFlood/H      100,000 PRIVMSG lines into one visible room window, with
//                       the history off (H = 0) or every line kept (H = 1);
//                       cpu_ms counts the whole process (the history's writer
//                       thread included) until the last line is shown and kept
//   BM_Partners/N       N private messages from N different nicks (500 to 5,000),
//                       then the oldest partner's window brought to the front
//                       among all of them (front_ms)
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "common/user_data_folder.h"
#include "shell/history_keeper.h"
#include "shell/main_window.h"
#include "support/scripted_server.h"

#include "bench_support.h"

#include "qt_benchmark_main.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace {

using bench::ResidentMiB;
using bench::RunUntil;

constexpr int kRoomLines = 100000;

// The CPU time of the whole process so far, in ms.
double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BM_RoomFlood(benchmark::State& state)
{
    const bool history = state.range(0) != 0;
    const std::vector<std::string> mix = bench::RoomMix();
    for (auto _ : state) {
        QTemporaryDir data;
        SetUserDataRoot(data.path());
        ScriptedServer server;
        MainWindow frame;
        bench::ShowConnected(frame, server);
        if (history) frame.History().LoggedIn("bench");
        RoomWindow* room = frame.OpenRoomWindow(QStringLiteral("lobby"));
        frame.BringToFront(room);
        QCoreApplication::processEvents();
        const double cpuBefore = ProcessCpuMs();
        if (!bench::TimeTranscriptFlood(state, room->Transcript(), kRoomLines,
                                        [&] { server.SendMany(mix, kRoomLines / mix.size()); }))
            break;
        if (!frame.History().Flush(60000)) {
            state.SkipWithError("the history did not keep up");
            break;
        }
        state.counters["cpu_ms"] = ProcessCpuMs() - cpuBefore;
        state.counters["rss_after_MiB"] = ResidentMiB();
        frame.Lifecycle().StopReader(2000);
    }
    SetUserDataRoot(QString());
}

void BM_Partners(benchmark::State& state)
{
    const int kPartners = static_cast<int>(state.range(0));
    const std::vector<std::string> lines = bench::PartnerLines(kPartners);
    for (auto _ : state) {
        ScriptedServer server;
        MainWindow frame;
        bench::ShowConnected(frame, server);
        QCoreApplication::processEvents();
        // Lines are handled in arrival order: once the last partner's line is
        // in its window, every earlier partner has one too (checked below).
        const QString last = QStringLiteral("partner%1").arg(kPartners - 1);
        const auto allWritten = [&frame, &last] {
            const QList<QWidget*> named = frame.PrivateWindowsNamed(last);
            auto* p = named.isEmpty() ? nullptr : qobject_cast<PrivateWindow*>(named.first());
            return p && !(p->Transcript().TextLength() == 0);
        };
        QElapsedTimer clock;
        clock.start();
        server.SendMany(lines);
        qint64 stall = 0;
        if (!RunUntil(allWritten, stall)) {
            state.SkipWithError("not every partner got a window in time");
            break;
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        int written = 0;
        for (QWidget* w : frame.ChildWindows())
            if (auto* p = qobject_cast<PrivateWindow*>(w); p && !(p->Transcript().TextLength() == 0)) ++written;
        if (written != kPartners) {
            state.SkipWithError("some partner has no window with its line");
            break;
        }
        state.counters["longest_stall_ms"] = static_cast<double>(stall);
        state.counters["rss_after_MiB"] = ResidentMiB();
        // The user then picks the oldest partner's window: one activation
        // among all the windows the flood opened.
        QWidget* oldest = frame.PrivateWindowsNamed(QStringLiteral("partner0")).value(0);
        QElapsedTimer front;
        front.start();
        frame.BringToFront(oldest);
        QCoreApplication::processEvents();
        state.counters["front_ms"] = static_cast<double>(front.nsecsElapsed()) / 1e6;
        frame.Lifecycle().StopReader(2000);
    }
}

BENCHMARK(BM_RoomFlood)->Arg(0)->Arg(1)->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Partners)->Arg(500)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Partners)->Arg(1000)->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Partners)->Arg(2000)->Iterations(1)->Repetitions(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Partners)->Arg(5000)->Iterations(1)->Repetitions(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
