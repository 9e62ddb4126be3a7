// A burst of invitations through the whole road of a received line: 1,000
// INVITE lines from a scripted server, each from another nick to another
// room. Measures the time from the first line sent until the UI answers
// again with every invitation handled (a few prompts, the rest in the
// server log), the longest stall of a 10 ms timer meanwhile, and the
// resident memory afterwards.
//
//   BM_InviteFlood/N   N invitations in one burst
#include "shell/main_window.h"
#include "support/window_controls.h"
#include "side/invitation_prompt.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"

#include "bench_support.h"

#include "qt_benchmark_main.h"
#include "support/window_controls.h"
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

void BM_InviteFlood(benchmark::State& state)
{
    const int kInvitations = static_cast<int>(state.range(0));
    std::vector<std::string> lines;
    for (int i = 0; i < kInvitations; ++i)
        lines.push_back(":inviter" + std::to_string(i) + "!~i@198.51.100.7 INVITE me :#room" + std::to_string(i));
    for (auto _ : state) {
        ScriptedServer server;
        MainWindow frame;
        bench::ShowConnected(frame, server);
        QCoreApplication::processEvents();
        const int logged = kInvitations - InvitationPrompts::kMostOpen;
        const auto prompts = [&frame] {
            int shown = 0;
            for (const InvitationPrompt* prompt : frame.findChildren<InvitationPrompt*>()) shown += prompt->isVisible() ? 1 : 0;
            return shown;
        };
        const auto handled = [&] {
            return Control<TranscriptView>(frame, "serverLog")->toPlainText().count(QStringLiteral(" invites you to ")) >= logged &&
                   prompts() >= InvitationPrompts::kMostOpen;
        };
        QElapsedTimer clock;
        clock.start();
        server.SendMany(lines);
        qint64 stall = 0;
        if (!bench::RunUntil(handled, stall)) {
            state.SkipWithError("the invitations were not all handled in time");
            break;
        }
        // The UI answers again: a timer posted now fires.
        bool answered = false;
        QTimer::singleShot(0, &frame, [&answered] { answered = true; });
        qint64 lastStall = 0;
        bench::RunUntil([&answered] { return answered; }, lastStall);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        state.counters["longest_stall_ms"] = static_cast<double>(std::max(stall, lastStall));
        state.counters["prompts"] = prompts();
        state.counters["rss_after_MiB"] = bench::ResidentMiB();
        frame.Lifecycle().StopReader(2000);
    }
}

BENCHMARK(BM_InviteFlood)->Arg(1000)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
