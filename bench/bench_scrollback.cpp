// A window's history with 1,000,000 lines in the file (20 buffers of 50,000):
//
//   BM_WindowOpening      a transcript view made, its last 200 kept lines read
//                         and put above the separator, laid out and painted
//   BM_ScrollbackPageShown  at the top of a window: the 200 lines before it
//                         read, put above and the view kept in its place
#include "chat/history_pager.h"
#include "transcript/transcript_view.h"
#include "model/history_store.h"
#include "qt_benchmark_main.h"

#include <QScrollBar>
#include <QTemporaryDir>

#include <memory>
#include <random>

namespace {

constexpr int kLines = 1000000;
constexpr int kBuffers = 20;

HistoryBuffer BufferNumber(int n) { return HistoryBuffer{"libera", "#room-" + QByteArray::number(n)}; }

struct FilledHistory {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("history.sqlite"));
    std::shared_ptr<HistoryStore> store = std::make_shared<HistoryStore>(path);

    FilledHistory()
    {
        store->Open();
        std::mt19937 random(20240301);
        std::uniform_int_distribution<int> buffer(0, kBuffers - 1), word(0, 4999), count(4, 16);
        QList<HistoryLine> batch;
        for (int i = 0; i < kLines; ++i) {
            HistoryLine line;
            line.buffer = BufferNumber(buffer(random));
            line.timeMs = 1700000000000 + qint64(i) * 1500;
            line.nick = "nick" + QByteArray::number(word(random) % 300);
            for (int n = count(random); n > 0; --n) line.text += "w" + QByteArray::number(word(random)) + ' ';
            if (i % 10 == 0) line.text = "\x02" + line.text + "\x0f";
            batch << line;
            if (batch.size() == 10000) {
                store->Write(batch);
                batch.clear();
            }
        }
    }
};

FilledHistory& History()
{
    static FilledHistory history;
    return history;
}

std::unique_ptr<TranscriptView> NewView()
{
    auto view = std::make_unique<TranscriptView>();
    view->resize(700, 450);
    return view;
}

void BM_WindowOpening(benchmark::State& state)
{
    History();
    qint64 shown = 0;
    int n = 0;
    for (auto _ : state) {
        auto view = NewView();
        auto* pager = new HistoryPager(*view, History().store, BufferNumber(n++ % kBuffers));
        shown = pager->ShowLast();
        view->grab();  // the first paint
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = double(shown);
}

void BM_ScrollbackPageShown(benchmark::State& state)
{
    History();
    qint64 shown = 0;
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto view = NewView();
        auto* pager = new HistoryPager(*view, History().store, BufferNumber(n++ % kBuffers));
        pager->ShowLast();
        view->verticalScrollBar()->setValue(0);
        state.ResumeTiming();
        shown = pager->ShowEarlier();
        view->grab();
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = double(shown);
}

BENCHMARK(BM_WindowOpening)->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(BM_ScrollbackPageShown)->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
