// The account's lists at 5,000 entries: a list file read into the Favorites
// menu, into the ignore list in memory and into the options dialog's list
// box (each with its layout), and the ignore test a received line makes.
#include "common/user_data_folder.h"
#include "support/window_controls.h"
#include "shell/main_window.h"
#include "shell/options_dialog.h"

#include "qt_benchmark_main.h"
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kEntries = 5000;

// A frame whose account (bench.host, me) has every list file at kEntries
// entries: nick0 ... nick4999.
struct ListsRig {
    QTemporaryDir root;
    MainWindow frame;
    QString folder;

    ListsRig()
    {
        SetUserDataRoot(root.path());
        frame.Connection().SetHost("bench.host");
        frame.SetCurrentNick("me");
        folder = frame.AccountFolder();
        QByteArray bytes;
        for (int i = 0; i < kEntries; ++i) bytes += QStringLiteral("[nick%1]\r\nName=nick%1\r\n").arg(i).toUtf8();
        for (const char* name : {"fav.ini", "buddies.ini", "ignore.ini"}) {
            QFile file(folder + u'/' + name);
            if (file.open(QIODevice::WriteOnly)) file.write(bytes);
        }
        frame.show();
    }
    ~ListsRig() { SetUserDataRoot(QString()); }
};

// The first load after a login: an empty menu filled with every entry.
void BM_LoadFavoritesMenu(benchmark::State& state)
{
    ListsRig rig;
    for (auto _ : state) {
        state.PauseTiming();
        Control<QMenu>(rig.frame, "favoritesMenu")->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        rig.frame.Lists().LoadFavoritesMenu();
        QCoreApplication::processEvents();
    }
    if (Control<QMenu>(rig.frame, "favoritesMenu")->actions().size() != kEntries) state.SkipWithError("entries were lost");
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_LoadFavoritesMenu)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// A reload (a room added to the favourites): the file read again into a menu
// that holds every entry already.
void BM_ReloadFavoritesMenu(benchmark::State& state)
{
    ListsRig rig;
    rig.frame.Lists().LoadFavoritesMenu();
    for (auto _ : state) {
        rig.frame.Lists().LoadFavoritesMenu();
        QCoreApplication::processEvents();
    }
    if (Control<QMenu>(rig.frame, "favoritesMenu")->actions().size() != kEntries) state.SkipWithError("entries were lost");
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ReloadFavoritesMenu)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// The first load and the menu as the user then opens it: every item laid
// out and painted once.
void BM_ShowFavoritesMenu(benchmark::State& state)
{
    ListsRig rig;
    for (auto _ : state) {
        state.PauseTiming();
        Control<QMenu>(rig.frame, "favoritesMenu")->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        rig.frame.Lists().LoadFavoritesMenu();
        Control<QMenu>(rig.frame, "favoritesMenu")->popup(QPoint(0, 0));
        QCoreApplication::processEvents();
        state.PauseTiming();
        Control<QMenu>(rig.frame, "favoritesMenu")->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ShowFavoritesMenu)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_LoadIgnoreList(benchmark::State& state)
{
    ListsRig rig;
    for (auto _ : state) rig.frame.Lists().LoadIgnoreList();
    if (rig.frame.IgnoreList().size() != kEntries) state.SkipWithError("entries were lost");
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_LoadIgnoreList)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_FillOptionsList(benchmark::State& state)
{
    ListsRig rig;
    OptionsDialog dialog(rig.folder);
    dialog.show();
    for (auto _ : state) {
        dialog.onPageChanged(2);
        QCoreApplication::processEvents();
    }
    if (Control<QListWidget>(dialog, "ignoreList")->count() != kEntries) state.SkipWithError("entries were lost");
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_FillOptionsList)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// Argument 0: a nick on the list (the last one written); 1: a nick not on it.
void BM_IsIgnored(benchmark::State& state)
{
    ListsRig rig;
    rig.frame.Lists().LoadIgnoreList();
    const QString nick = state.range(0) == 0 ? QStringLiteral("nick4999") : QStringLiteral("stranger");
    const bool expected = state.range(0) == 0;
    bool answer = !expected;
    for (auto _ : state) {
        answer = rig.frame.IsIgnored(nick);
        benchmark::DoNotOptimize(answer);
    }
    if (answer != expected) state.SkipWithError("wrong answer");
}
BENCHMARK(BM_IsIgnored)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond)->Repetitions(10)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
