// A name-list burst of 5,000 nicks into one room window's nick list, through
// the same routing the reader's lines take, including the list's layout.
#include "chat/nick_list_view.h"
#include "chat/room_window.h"
#include "events/chat_session.h"
#include "events/event_router.h"
#include "protocol/irc/irc_message.h"
#include "shell/main_window.h"

#include "qt_benchmark_main.h"
#include <QApplication>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kNames = 5000;

// kNames distinct nicks in a shuffled order, one in ten a host, cut into 353
// replies of namesPerLine names each.
std::vector<IrcMessage> NamesBurst(int namesPerLine)
{
    std::vector<std::string> nicks;
    nicks.reserve(kNames);
    QRandomGenerator random(4242);
    for (int i = 0; i < kNames; ++i) {
        std::string nick;
        if (i % 10 == 0)
            nick.push_back('@');
        nick.push_back(static_cast<char>('a' + random.bounded(26)));
        nick.append("user").append(std::to_string(i));
        nicks.push_back(std::move(nick));
    }
    std::shuffle(nicks.begin(), nicks.end(), random);
    std::vector<IrcMessage> lines;
    for (int start = 0; start < kNames; start += namesPerLine) {
        std::string raw = ":irc.test 353 me = #room :";
        for (int i = start; i < std::min(kNames, start + namesPerLine); ++i)
            raw += nicks[static_cast<std::size_t>(i)] + ' ';
        raw.pop_back();
        IrcMessage line;
        line.ParseLine(raw);
        lines.push_back(std::move(line));
    }
    return lines;
}

void BM_NamesBurst(benchmark::State& state)
{
    MainWindow frame;
    frame.show();
    RoomWindow* window = frame.NewRoomWindow();
    window->SetTitle(QStringLiteral("room"));
    const std::vector<IrcMessage> burst = NamesBurst(static_cast<int>(state.range(0)));
    ChatSession session(frame, QStringLiteral("me"));
    for (auto _ : state) {
        state.PauseTiming();
        window->nickList_->ClearEntries();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        for (const IrcMessage& line : burst)
            RouteLine(session, line);
        QCoreApplication::processEvents();  // the list's layout and paint
    }
    if (window->nickList_->Count() != kNames)
        state.SkipWithError("names were lost");
    state.SetItemsProcessed(state.iterations() * kNames);
}

// 100 names per reply is what servers send; 1,000 is an over-long reply.
BENCHMARK(BM_NamesBurst)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
