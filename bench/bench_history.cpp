// The history database with 1,000,000 lines in 20 buffers: a search for a
// word that occurs 1,000 times (its first page), a window opening (the last
// 200 lines of a buffer), a page of scrollback, and the size on disk.
//
//   BM_SearchFirstPage       words "zanzibar", 50 hits, newest first, with match places
//   BM_SearchInOneRoom       the same word, only in one buffer
//   BM_SearchByNick          the same word from one nick: every match is looked at
//   BM_LastLines             the last 200 lines of a buffer
//   BM_ScrollbackPage        200 lines before a line half-way through a buffer
//   BM_WriteBatch            a batch of 1,000 lines in one transaction
//   BM_SearchAfterWrites     BM_SearchFirstPage with the 20,000 lines of BM_WriteBatch
//                            not yet indexed (searched first, from a small index of their own)
//   BM_FloodWrite            100,000 lines of one room into a new file, in the
//                            batches a flood makes (8,000 lines each): the
//                            writer thread's CPU for each line (cpu_us_per_line), and
//                            for indexing their words afterwards (index_us_per_line)
// Every benchmark reports bytes_per_line: the file's size over its lines.
#include "model/history_store.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>
#include <random>

namespace {

constexpr int kLines = 1000000;
constexpr int kBuffers = 20;
constexpr int kRareWordEvery = kLines / 1000;

// Chat-like text: words from a vocabulary of 5,000, the common ones far more
// often, 4 to 16 words a line, now and then with colours or bold.
class ChatText {
public:
    ChatText()
    {
        std::uniform_int_distribution<int> length(2, 9), letter('a', 'z');
        for (int i = 0; i < 5000; ++i) {
            QByteArray word;
            for (int n = length(random_); n > 0; --n) word += static_cast<char>(letter(random_));
            words_ << word;
        }
    }
    QByteArray Line(bool rare)
    {
        std::uniform_int_distribution<int> count(4, 16);
        std::uniform_real_distribution<double> unit(0, 1);
        QByteArray text;
        const int n = count(random_);
        for (int i = 0; i < n; ++i) {
            if (i) text += ' ';
            const double u = unit(random_);
            text += words_[static_cast<int>(u * u * u * words_.size())];
        }
        if (unit(random_) < 0.1) text = "\x02" + text + "\x0f";
        if (unit(random_) < 0.05) text.prepend("\x03" "4,1");
        if (rare) text += " zanzibar";
        return text;
    }
    int Number(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }

private:
    std::mt19937 random_{20240301};
    QList<QByteArray> words_;
};

HistoryBuffer BufferNumber(int n)
{
    return HistoryBuffer{"libera", "#room-" + QByteArray::number(n)};
}

// The filled history, made once for every benchmark.
struct FilledHistory {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("history.sqlite"));
    HistoryStore store{path};
    double bytesPerLine = 0;

    FilledHistory()
    {
        store.Open();
        ChatText chat;
        const qint64 start = 1700000000000;
        QList<HistoryLine> batch;
        for (int i = 0; i < kLines; ++i) {
            HistoryLine line;
            line.buffer = BufferNumber(chat.Number(kBuffers));
            line.timeMs = start + qint64(i) * 1500;
            line.nick = "nick" + QByteArray::number(chat.Number(300));
            line.text = chat.Line(i % kRareWordEvery == 0);
            batch << line;
            if (batch.size() == 10000) {
                store.Write(batch);
                batch.clear();
            }
        }
        // What the writer does when the lines stop coming.
        while (store.IndexWords(10000) > 0) {
        }
        SqliteDb raw;
        raw.Open(path, SQLITE_OPEN_READWRITE);
        raw.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        bytesPerLine = static_cast<double>(QFileInfo(path).size()) / kLines;
    }
};

FilledHistory& History()
{
    static FilledHistory history;
    return history;
}

void Report(benchmark::State& state, qint64 found)
{
    state.counters["found"] = static_cast<double>(found);
    state.counters["bytes_per_line"] = History().bytesPerLine;
}

void BM_SearchFirstPage(benchmark::State& state)
{
    HistorySearch search;
    search.words = QStringLiteral("zanzibar");
    qint64 found = 0;
    for (auto _ : state) found = History().store.Search(search).size();
    Report(state, found);
}

void BM_SearchInOneRoom(benchmark::State& state)
{
    HistorySearch search;
    search.words = QStringLiteral("zanzibar");
    search.buffer = BufferNumber(7);
    qint64 found = 0;
    for (auto _ : state) found = History().store.Search(search).size();
    Report(state, found);
}

void BM_SearchByNick(benchmark::State& state)
{
    HistorySearch search;
    search.words = QStringLiteral("zanzibar");
    search.nick = "nick42";
    qint64 found = 0;
    for (auto _ : state) found = History().store.Search(search).size();
    Report(state, found);
}

void BM_LastLines(benchmark::State& state)
{
    qint64 found = 0;
    for (auto _ : state) found = History().store.LastLines(BufferNumber(3), 200).size();
    Report(state, found);
}

void BM_ScrollbackPage(benchmark::State& state)
{
    const qint64 middle = History().store.LastLines(BufferNumber(5), 25000).first().id;
    qint64 found = 0;
    for (auto _ : state) found = History().store.LinesBefore(BufferNumber(5), middle, 200).size();
    Report(state, found);
}

// After BM_WriteBatch: its 20,000 lines are not indexed yet, and are searched first.
void BM_SearchAfterWrites(benchmark::State& state)
{
    HistorySearch search;
    search.words = QStringLiteral("zanzibar");
    qint64 found = 0;
    for (auto _ : state) found = History().store.Search(search).size();
    Report(state, found);
}

void BM_WriteBatch(benchmark::State& state)
{
    ChatText chat;
    QList<HistoryLine> batch;
    for (int i = 0; i < 1000; ++i) {
        HistoryLine line;
        line.buffer = BufferNumber(chat.Number(kBuffers));
        line.timeMs = 1800000000000 + i;
        line.nick = "writer";
        line.text = chat.Line(false);
        batch << line;
    }
    for (auto _ : state) History().store.Write(batch);
    Report(state, batch.size());
}

double ThreadCpuUs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

void BM_FloodWrite(benchmark::State& state)
{
    double cpuUs = 0;
    double indexUs = 0;
    ChatText chat;
    QList<QList<HistoryLine>> batches;
    for (int i = 0; i < 100000; ++i) {
        if (i % 8000 == 0) batches.append(QList<HistoryLine>());
        HistoryLine line;
        line.buffer = BufferNumber(0);
        line.timeMs = 1800000000000 + i;
        line.nick = "nick" + QByteArray::number(chat.Number(300));
        line.text = chat.Line(false);
        batches.last() << line;
    }
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        HistoryStore store(dir.filePath(QStringLiteral("flood.sqlite")));
        store.Open();
        state.ResumeTiming();
        const double before = ThreadCpuUs();
        for (QList<HistoryLine>& batch : batches) store.Write(batch);
        cpuUs += ThreadCpuUs() - before;
        state.PauseTiming();
        const double indexBefore = ThreadCpuUs();
        while (store.IndexWords(2000) > 0) {
        }
        indexUs += ThreadCpuUs() - indexBefore;
        state.ResumeTiming();
    }
    state.counters["cpu_us_per_line"] = cpuUs / static_cast<double>(state.iterations()) / 100000.0;
    // The words' indexing, done later when the flood is over.
    state.counters["index_us_per_line"] = indexUs / static_cast<double>(state.iterations()) / 100000.0;
}

BENCHMARK(BM_SearchFirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchInOneRoom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchByNick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LastLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollbackPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBatch)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_SearchAfterWrites)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloodWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

// The history is filled before the first timing starts.
int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    History();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
