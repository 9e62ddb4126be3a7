// Connections that end in the middle of a flood, and a hostile stream of long
// lines against a UI thread that takes nothing. The road is the whole one: a
// scripted server on loopback, the frame's connection and reader, the line
// queue, the drain and the windows. A 10 ms timer on the UI thread measures
// the longest stall a user would feel, from the first line to the last one
// shown after the end.
//
//   BM_RoomFloodEnding/0     disconnect pressed halfway through 100,000 room lines
//   BM_RoomFloodEnding/1     the server hangs up after its 100,000 lines
//   BM_PrivateFloodEnding/0  disconnect pressed after 1,000 of 2,000 new partners
//   BM_PrivateFloodEnding/1  the server hangs up after its 2,000 partners
//   BM_HostileLongLines      16,000-byte lines while the UI thread is stalled:
//                            resident memory grows by the queue's byte cap, no more
#include "chat/private_window.h"
#include "support/window_controls.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "common/timings.h"
#include "events/chat_session.h"
#include "shell/main_window.h"
#include "support/scripted_server.h"

#include "bench_support.h"

#include "qt_benchmark_main.h"
#include "support/window_controls.h"
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using bench::ResidentMiB;

enum Ending { kDisconnect = 0, kHangUp = 1 };

struct EndingFigures {
    qint64 longestStallMs = 0;
    qint64 lookMs = -1;     // from the end (the command, or the reader's end) to the disconnected look
    qint64 restMs = 0;      // from the end to the last line shown
    double totalS = 0;
    bool timedOut = false;
};

// Runs the event loop while the flood arrives. shown() counts what has reached
// the windows; at halfway the disconnect command is given (kDisconnect), or
// the reader ends on the server's hang-up (kHangUp). Done once the frame has
// shown every line of the ended connection.
EndingFigures RunEnding(MainWindow& frame, Ending ending, int halfway, const std::function<int()>& shown)
{
    EndingFigures out;
    QEventLoop loop;
    QElapsedTimer total, sinceTick, sinceEnd;
    total.start();
    sinceTick.start();
    bool ended = false;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 gap = sinceTick.restart();
        out.longestStallMs = std::max(out.longestStallMs, gap);
        if (!ended && ending == kDisconnect && shown() >= halfway) {
            ended = true;
            sinceEnd.start();
            Control<QAction>(frame, "connectAction")->trigger();
            if (!frame.ConnectedLook()) out.lookMs = sinceEnd.elapsed();
        }
        // The reader's end is seen at a tick: when the frame has already
        // handled it, the look came within the time since the last tick,
        // which then stands for it (an upper bound).
        if (!ended && ending == kHangUp && (!frame.Reader() || frame.Reader()->Finished())) {
            ended = true;
            sinceEnd.start();
            if (!frame.ConnectedLook()) out.lookMs = gap;
        }
        if (ended && out.lookMs < 0 && !frame.ConnectedLook()) out.lookMs = sinceEnd.elapsed();
        if (ended && out.lookMs >= 0 && !frame.Lifecycle().ShowingRestOfLines()) {
            out.restMs = sinceEnd.elapsed();
            loop.quit();
        }
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        out.timedOut = true;
        loop.quit();
    });
    ticker.start(10);
    giveUp.start(bench::kGiveUpMs);
    loop.exec();
    out.totalS = static_cast<double>(total.nsecsElapsed()) / 1e9;
    return out;
}

void Report(benchmark::State& state, const EndingFigures& f, int shown, int sent)
{
    state.SetIterationTime(f.totalS);
    state.counters["longest_stall_ms"] = static_cast<double>(f.longestStallMs);
    state.counters["look_ms"] = static_cast<double>(f.lookMs);
    state.counters["rest_after_end_ms"] = static_cast<double>(f.restMs);
    state.counters["lines_shown"] = shown;
    state.counters["lines_sent"] = sent;
}

// The frame connected as by the connect command, so that the command also
// disconnects it.
void ShowConnectedByCommand(MainWindow& frame, ScriptedServer& server)
{
    timing().defaultPort = server.Port();
    Control<QComboBox>(frame, "serverBox")->setEditText(QStringLiteral("127.0.0.1"));
    bench::ShowConnected(frame, server);
}

std::vector<std::string> RoomLines()
{
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back(":talker" + std::to_string(i % 8) + "!~u@198.51.100." + std::to_string(i) +
                        " PRIVMSG #lobby :" + (i % 10 == 3 ? "\x02" "bold\x02 and a smile :)" : "an ordinary line of chat"));
    return lines;
}

void BM_RoomFloodEnding(benchmark::State& state)
{
    const Ending ending = static_cast<Ending>(state.range(0));
    constexpr int kLines = 100000;
    const std::vector<std::string> mix = RoomLines();
    for (auto _ : state) {
        ScriptedServer server;
        server.SetTimeout(60000);
        MainWindow frame;
        ShowConnectedByCommand(frame, server);
        RoomWindow* room = frame.OpenRoomWindow(QStringLiteral("lobby"));
        frame.BringToFront(room);
        QCoreApplication::processEvents();
        const int before = room->Transcript().Store().Count();
        server.SendMany(mix, kLines / mix.size());
        if (ending == kHangUp) server.Close();
        const auto shown = [&] { return room->Transcript().Store().Count() - before; };
        const EndingFigures f = RunEnding(frame, ending, kLines / 2, shown);
        if (f.timedOut) {
            state.SkipWithError("the ended connection's lines were not shown in time");
            break;
        }
        Report(state, f, shown(), kLines);
        if (ending == kHangUp && shown() != kLines) state.SkipWithError("lines went missing");
    }
}

void BM_PrivateFloodEnding(benchmark::State& state)
{
    const Ending ending = static_cast<Ending>(state.range(0));
    constexpr int kPartners = 2000;
    const std::vector<std::string> lines = bench::PartnerLines(kPartners);
    for (auto _ : state) {
        ScriptedServer server;
        server.SetTimeout(60000);
        MainWindow frame;
        ShowConnectedByCommand(frame, server);
        QCoreApplication::processEvents();
        server.SendMany(lines);
        // As a real server does: a quit is answered by closing.
        if (ending == kDisconnect) server.Expect("quit");
        server.Close();
        const auto shown = [&frame] {
            int written = 0;
            for (QWidget* w : frame.ChildWindows())
                if (auto* p = qobject_cast<PrivateWindow*>(w); p && !(p->Transcript().TextLength() == 0)) ++written;
            return written;
        };
        const auto made = [&frame] {
            int windows = 0;
            for (QWidget* w : frame.ChildWindows()) windows += qobject_cast<PrivateWindow*>(w) != nullptr;
            return windows;
        };
        const EndingFigures f = RunEnding(frame, ending, kPartners / 2, made);
        if (f.timedOut) {
            state.SkipWithError("the ended connection's lines were not shown in time");
            break;
        }
        const int written = shown();
        Report(state, f, written, kPartners);
        state.counters["rss_after_MiB"] = ResidentMiB();
        if (ending == kHangUp && written != kPartners) state.SkipWithError("lines went missing");
    }
}

void BM_HostileLongLines(benchmark::State& state)
{
    constexpr int kLines = 6000;  // 96 MB offered
    constexpr int kLineBytes = 16000;
    const std::string head = ":mallory!~m@203.0.113.9 PRIVMSG me :";
    const std::vector<std::string> lines{head + std::string(kLineBytes - head.size(), 'x')};
    for (auto _ : state) {
        ScriptedServer server;
        server.SetTimeout(120000);
        MainWindow frame;
        bench::ShowConnected(frame, server);
        QCoreApplication::processEvents();
        const double before = ResidentMiB();
        QElapsedTimer clock;
        clock.start();
        server.SendMany(lines, kLines);
        // The UI thread takes nothing: wait until the reader stops queuing.
        const auto queue = frame.Session()->Queue();
        std::size_t last = SIZE_MAX;
        int still = 0;
        while (still < 10 && clock.elapsed() < 30000) {
            QThread::msleep(50);
            const std::size_t now = queue->Size();
            still = now == last ? still + 1 : 0;
            last = now;
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        state.counters["rss_growth_MiB"] = ResidentMiB() - before;
        state.counters["queue_MiB"] = static_cast<double>(queue->Bytes()) / (1 << 20);
        state.counters["queue_cap_MiB"] = static_cast<double>(ChatSession::kQueueBytes) / (1 << 20);
        state.counters["queued_lines"] = static_cast<double>(queue->Size());
        frame.Lifecycle().StopReader(0, ConnectionLifecycle::RestOfLines::Drop);
    }
}

BENCHMARK(BM_RoomFloodEnding)->Arg(kDisconnect)->Arg(kHangUp)->Iterations(1)->Repetitions(5)->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrivateFloodEnding)->Arg(kDisconnect)->Arg(kHangUp)->Iterations(1)->Repetitions(5)->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileLongLines)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
