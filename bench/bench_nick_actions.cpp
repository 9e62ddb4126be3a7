// The nick-list menu on a big room: opening the menu, ignoring and
// unignoring one entry, and one advertisement step, at 500 and 5,000 entries.
#include "bench_support.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/room_window.h"
#include "common/timings.h"
#include "common/user_data_folder.h"
#include "support/prompt_recorder.h"

#include "qt_benchmark_main.h"
#include "support/window_controls.h"
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

namespace {

// A connected frame with one room window whose nick list holds `entries`
// nicks (every tenth a host), the entry in the middle selected.
struct NickRig {
    QTemporaryDir root;
    PromptRecorder prompts;  // the advertisement's question answered Yes
    ScriptedServer server;
    MainWindow frame;
    RoomWindow* window = nullptr;

    explicit NickRig(int entries)
    {
        SetUserDataRoot(root.path());
        timing().advertiseMs = 3'600'000;  // ticks are run by hand
        bench::ShowConnected(frame, server);
        window = frame.OpenRoomWindow(QStringLiteral("big"));
        for (int i = 0; i < entries; ++i)
            window->NickList().AddEntry(QStringLiteral("nick%1").arg(i, 5, 10, QLatin1Char('0')),
                                        i % 10 == 0 ? kHostIcon : kNormalIcon);
        window->NickList().setCurrentItem(window->NickList().EntryAt(entries / 2));
        QCoreApplication::processEvents();
    }
    ~NickRig() { SetUserDataRoot(QString()); }
};

void BM_OpenNickMenu(benchmark::State& state)
{
    NickRig rig(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Control<QMenu>(*rig.window, "nickMenu")->popup(rig.window->NickList().mapToGlobal(QPoint(10, 10)));
        QCoreApplication::processEvents();
        state.PauseTiming();
        Control<QMenu>(*rig.window, "nickMenu")->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenNickMenu)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Ignore and then UnIgnore the selected entry: the list file written and
// erased, the ignore list and the icon changed both ways.
void BM_IgnoreThenUnignore(benchmark::State& state)
{
    NickRig rig(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Control<QAction>(*rig.window, "ignoreAction")->trigger();
        Control<QAction>(*rig.window, "unignoreAction")->trigger();
        QCoreApplication::processEvents();
    }
    if (NickListView::IconNumber(rig.window->NickList().SelectedEntry()) == kIgnoredIcon)
        state.SkipWithError("the entry stayed ignored");
}
BENCHMARK(BM_IgnoreThenUnignore)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One advertisement step: the private message to the next entry and its
// progress line. Equal at 500 and 5,000 entries when a step is O(1).
void BM_AdvertisementTick(benchmark::State& state)
{
    NickRig rig(static_cast<int>(state.range(0)));
    InputLine(*rig.window)->setText(QStringLiteral("come and see"));
    Control<QToolButton>(*rig.window, "advertiseButton")->click();
    int steps = 0;
    for (auto _ : state) {
        if (!Control<QTimer>(*rig.window, "advertisementTimer")->isActive()) {
            state.PauseTiming();
            Control<QToolButton>(*rig.window, "advertiseButton")->click();
            state.ResumeTiming();
        }
        QMetaObject::invokeMethod(Control<QTimer>(*rig.window, "advertisementTimer"), "timeout");
        ++steps;
    }
    state.SetItemsProcessed(steps);
}
BENCHMARK(BM_AdvertisementTick)->Arg(500)->Arg(5000)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
