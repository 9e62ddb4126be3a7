// The room list and the server log under the server's biggest replies, through
// the whole road of a line (scripted server, reader, queue, drain, handler,
// list or log), with a 10 ms timer on the UI thread whose longest gap is the
// longest stall a user would feel.
//
//   BM_RoomListing      321, 50,000 x 322 with realistic topics, 323: until
//                       every row is in the list's view
//   BM_SecondListing    the same after "Load Full Room List" emptied a first
//                       listing of 50,000 rows
//   BM_SortRoomList     one header click on 50,000 rows, per column
//   BM_UnroutedNumerics 50,000 numerics that no handler takes, into the log
#include "shell/main_window.h"
#include "support/window_controls.h"
#include "side/room_list_model.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"

#include "bench_support.h"
#include "qt_benchmark_main.h"
#include "support/window_controls.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kRooms = 50000;

std::vector<std::string> Listing()
{
    const char* topics[] = {
        "Welcome to the channel! Please read the rules at https://example.org/rules before asking",
        "\x03" "4,1 Official \x03" "8support\x03 channel | be patient, answers can take a while",
        "\x02" "News:\x02 release 3.2 is out | \x1f" "no piracy\x1f | English only",
        "",
        "chat, music and everything else :) come in and say hello",
        "\x03" "12Linux\x03 and \x03" "3open source\x03 help - paste logs to a pastebin, not here",
    };
    std::vector<std::string> lines{":irc.test 321 me Channel :Users  Name"};
    for (int i = 0; i < kRooms; ++i)
        lines.push_back(":irc.test 322 me #room" + std::to_string(i * 7919 % 100003) + " " +
                        std::to_string(1 + i * 31 % 997) + " :[+nt] " + topics[i % 6]);
    lines.push_back(":irc.test 323 me :End of channel list.");
    return lines;
}

int VisibleRows(MainWindow& frame) { return Control<QTreeView>(frame, "roomTable")->model()->rowCount(); }

void ReportRun(benchmark::State& state, const QElapsedTimer& clock, qint64 stall)
{
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    state.counters["longest_stall_ms"] = static_cast<double>(stall);
    state.counters["rss_after_MiB"] = bench::ResidentMiB();
}

void BM_RoomListing(benchmark::State& state)
{
    const std::vector<std::string> listing = Listing();
    for (auto _ : state) {
        ScriptedServer server;
        MainWindow frame;
        bench::ShowConnected(frame, server);
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        server.SendMany(listing);
        qint64 stall = 0;
        if (!bench::RunUntil([&] { return VisibleRows(frame) == kRooms; }, stall)) {
            state.SkipWithError("the rows did not reach the list in time");
            break;
        }
        ReportRun(state, clock, stall);
        frame.Lifecycle().StopReader(2000);
    }
}

void BM_SecondListing(benchmark::State& state)
{
    const std::vector<std::string> listing = Listing();
    for (auto _ : state) {
        ScriptedServer server;
        MainWindow frame;
        bench::ShowConnected(frame, server);
        frame.RoomList()->SetConnection(&frame.Connection());
        server.SendMany(listing).Expect("LIST");
        qint64 stall = 0;
        if (!bench::RunUntil([&] { return VisibleRows(frame) == kRooms; }, stall)) {
            state.SkipWithError("the first listing did not arrive");
            break;
        }
        server.SendMany(listing);
        QElapsedTimer clock;
        clock.start();
        frame.RoomList()->onLoadFullListClicked();  // empties the list and asks again
        if (!bench::RunUntil([&] { return VisibleRows(frame) == kRooms && server.Done(); }, stall)) {
            state.SkipWithError("the second listing did not arrive");
            break;
        }
        ReportRun(state, clock, stall);
        frame.Lifecycle().StopReader(2000);
    }
}

void BM_SortRoomList(benchmark::State& state)
{
    MainWindow frame;
    frame.resize(1000, 700);
    frame.show();
    RoomListWindow& list = *frame.RoomList();
    for (int i = 0; i < kRooms; ++i)
        list.AddRoomRow(QStringLiteral("room%1 ").arg(i * 7919 % 100003), QStringLiteral("[+nt] topic %1 ").arg(i % 977),
                        QStringLiteral("%1 ").arg(1 + i * 31 % 997));
    list.Model().Flush();
    QCoreApplication::processEvents();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        Control<QTreeView>(list, "roomTable")->header()->sectionClicked(column);
        QCoreApplication::processEvents();  // the view's layout and paint
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        Control<QTreeView>(list, "roomTable")->header()->sectionClicked((column + 1) % 3);  // unsorted again for the next round
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_UnroutedNumerics(benchmark::State& state)
{
    std::vector<std::string> lines;
    for (int i = 0; i < kRooms; ++i)
        lines.push_back(":irc.test 372 me :- " + std::to_string(i) + " \x02motd\x02 line of the server's long greeting");
    for (auto _ : state) {
        ScriptedServer server;
        MainWindow frame;
        bench::ShowConnected(frame, server);
        QCoreApplication::processEvents();
        TranscriptView* log = Control<TranscriptView>(frame, "serverLog");
        // An empty log still holds one empty line, which the first line fills.
        const int wanted = (log->TextLength() == 0 ? 0 : log->Store().Count()) + kRooms;
        QElapsedTimer clock;
        clock.start();
        server.SendMany(lines);
        qint64 stall = 0;
        if (!bench::RunUntil([&] { return log->Store().Count() >= wanted; }, stall)) {
            state.SkipWithError("the lines did not reach the log in time");
            break;
        }
        ReportRun(state, clock, stall);
        frame.Lifecycle().StopReader(2000);
    }
}

BENCHMARK(BM_RoomListing)->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SecondListing)->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortRoomList)->Arg(0)->Arg(1)->Arg(2)->Iterations(3)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnroutedNumerics)->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
