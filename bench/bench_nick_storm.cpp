// Twenty rooms under a NICK storm: every nick change of a user who sits in
// all of them is a status line in each room, between the rooms' messages.
//
//   BM_NickStormMemory  the room windows of one shown frame written up to
//                       their line cap (100,000 lines each: three nick
//                       changes to one message, in the looks the handlers
//                       give them); resident memory at the end (resident_mib,
//                       VmRSS), its growth per kept line (bytes_per_line)
//                       and the lines kept in all rooms (lines); the heap in
//                       use (heap_in_use_mib) and the part of it that holds
//                       laid out lines (layouts_mib). Run once: a
//                       second run in the same process reuses the first
//                       one's memory.
#include "chat/chat_colors.h"
#include "chat/renderer.h"
#include "chat/room_window.h"
#include "shell/main_window.h"
#include "transcript/transcript_view.h"

#include "bench_support.h"
#include "qt_benchmark_main.h"

#include <QCoreApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <vector>

namespace {

constexpr int kRooms = 20;
constexpr int kLines = LineStore::kKeptLines;

// Line i of a room: a nick change as HandleNick writes it (grey italics),
// or every fourth line a message as a room window shows one.
void WriteLine(TranscriptView& view, int i)
{
    MoveToAppendPosition(view);
    StartPlainLine(view);
    const int nick = i % 997;
    if (i % 4 != 3) {
        const QString old = (i / 997) % 2 == 0 ? QStringLiteral("guest%1").arg(nick) : QStringLiteral("guest%1_away").arg(nick);
        const QString renamed = (i / 997) % 2 == 0 ? QStringLiteral("guest%1_away").arg(nick) : QStringLiteral("guest%1").arg(nick);
        StyledInsert(view, chat_colors::kGrey, false, true, old + QStringLiteral(" is now known as ") + renamed + u'\n');
        return;
    }
    StyledInsert(view, chat_colors::kBlue, true, false, QStringLiteral("guest%1: ").arg(nick));
    SetSelColor(view, Qt::black);
    SetSelBold(view, false);
    const auto& texts = bench::RoomTexts();
    RenderFormatted(view, QString::fromStdString(texts[std::size_t(i / 4) % texts.size()]), RenderMode::Incoming);
    SetSelText(view, QStringLiteral("\n"));
}

// Writes count lines into every room, a slice at a time in turn, as a
// drain interleaves them.
void WriteStorm(const std::vector<RoomWindow*>& rooms, int from, int count)
{
    constexpr int kSlice = 500;
    for (int start = from; start < from + count; start += kSlice) {
        for (RoomWindow* room : rooms) {
            TranscriptView& view = room->Transcript();
            TranscriptView::Batch batch(view);
            for (int i = start; i < std::min(start + kSlice, from + count); ++i) WriteLine(view, i);
        }
        QCoreApplication::processEvents();
    }
}

void BM_NickStormMemory(benchmark::State& state)
{
    for (auto _ : state) {
        MainWindow frame;
        frame.resize(1000, 700);
        frame.show();
        if (!QTest::qWaitForWindowExposed(&frame)) qWarning("the frame was never shown");
        std::vector<RoomWindow*> rooms;
        for (int r = 0; r < kRooms; ++r) {
            rooms.push_back(frame.NewRoomWindow());
            rooms.back()->setWindowTitle(QStringLiteral("#room%1").arg(r));
        }
        WriteStorm(rooms, 0, 100);  // the shared looks and pictures made once
        const double before = bench::ResidentMiB();
        WriteStorm(rooms, 100, kLines - 100);
        const double after = bench::ResidentMiB();
        qint64 lines = 0;
        for (RoomWindow* room : rooms) lines += room->Transcript().Store().Count() - 1;  // the empty last line
        state.counters["resident_mib"] = after;
        state.counters["growth_mib"] = after - before;
        state.counters["bytes_per_line"] = (after - before) * 1024 * 1024 / double(kRooms * (kLines - 100));
        state.counters["lines"] = double(lines);
        // What the heap holds in use, and how much of it is the views' laid
        // out lines (dropped when the time stamps change).
        const double inUse = double(mallinfo2().uordblks) / (1024 * 1024);
        for (RoomWindow* room : rooms) {
            TranscriptView& view = room->Transcript();
            const TimeStampFormat stamps = view.TimeStamps();
            view.SetTimeStamps(stamps == TimeStampFormat::Off ? TimeStampFormat::Seconds : TimeStampFormat::Off);
            view.SetTimeStamps(stamps);
        }
        state.counters["heap_in_use_mib"] = inUse;
        state.counters["layouts_mib"] = inUse - double(mallinfo2().uordblks) / (1024 * 1024);
    }
}

}  // namespace

BENCHMARK(BM_NickStormMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
