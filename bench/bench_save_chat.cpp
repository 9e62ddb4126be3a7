// Save Chat of a transcript full of emoticons: 2,000 room lines with 100
// emoticons each (about 1 MB from the server), rendered as they arrive, then
// saved as RTF. A 10 ms timer on the UI thread measures the longest time the
// user would wait for an answer while the file is written.
//
//   BM_SaveChat          the save as the user starts it (worker + progress)
//   BM_WriteRtfInMemory  the RTF writer alone, on the UI thread, into memory
//   BM_TakeSnapshot      the part of a save that runs on the UI thread
#include "chat/chat_saving.h"
#include "chat/renderer.h"
#include "transcript/transcript_export.h"
#include "transcript/transcript_view.h"
#include "transcript/rtf_writer.h"

#include "bench_support.h"

#include "qt_benchmark_main.h"
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int kLines = 2000;
constexpr int kEmoticonsPerLine = 100;

void FillTranscript(TranscriptView& view)
{
    const char* faces[] = {":)", ":(", ";)", ":O", ":P"};
    for (int line = 0; line < kLines; ++line) {
        QString text = QStringLiteral("line %1 ").arg(line);
        for (int i = 0; i < kEmoticonsPerLine; ++i) text += QString::fromLatin1(faces[(line + i) % 5]) + u' ';
        MoveToAppendPosition(view);
        StyledInsert(view, QColor(0, 0, 255), true, false, QStringLiteral("bob: "));
        RenderFormatted(view, text, RenderMode::Incoming);
        SetSelText(view, QStringLiteral("\n"));
    }
}

void BM_SaveChat(benchmark::State& state)
{
    TranscriptView view;
    view.resize(600, 400);
    view.show();
    FillTranscript(view);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("chat.rtf"));
    for (auto _ : state) {
        // The timer keeps ticking while the save runs its own event loop.
        QElapsedTimer sinceTick;
        sinceTick.start();
        qint64 longestGap = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        ticker.start(10);
        QElapsedTimer clock;
        clock.start();
        const bool saved = SaveTranscript(view, path);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        longestGap = std::max(longestGap, sinceTick.elapsed());
        if (!saved) {
            state.SkipWithError("the save did not finish");
            break;
        }
        state.counters["longest_stall_ms"] = static_cast<double>(longestGap);
        state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
        state.counters["rss_MiB"] = bench::ResidentMiB();
    }
}

void BM_WriteRtfInMemory(benchmark::State& state)
{
    TranscriptView view;
    FillTranscript(view);
    for (auto _ : state) {
        const QByteArray rtf = WriteRtf(TakeTranscriptSnapshot(view));
        benchmark::DoNotOptimize(rtf.size());
        state.counters["rtf_MB"] = static_cast<double>(rtf.size()) / 1e6;
    }
}

void BM_TakeSnapshot(benchmark::State& state)
{
    TranscriptView view;
    FillTranscript(view);
    for (auto _ : state) {
        const RtfSnapshot snapshot = TakeTranscriptSnapshot(view);
        benchmark::DoNotOptimize(snapshot.runs.size());
        state.counters["runs"] = static_cast<double>(snapshot.runs.size());
    }
}

BENCHMARK(BM_SaveChat)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRtfInMemory)->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TakeSnapshot)->Iterations(3)->Repetitions(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
