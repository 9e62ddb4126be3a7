// The transcript's store and view with 100,000 lines like a busy room's.
//
//   BM_TranscriptMemory   resident growth per kept line while 100,000 lines
//                         are written (bytes_per_line); run once: a second
//                         run in the same process reuses the first one's memory
//   BM_TranscriptRepaint  one full repaint of a 1280 x 800 view at the end
//   BM_TranscriptPageStep Page Up through the lines, one step with its repaint
#include "chat/renderer.h"
#include "transcript/transcript_view.h"

#include "bench_support.h"
#include "qt_benchmark_main.h"

#include <QKeyEvent>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 100000;

QString Text(int i)
{
    QString text = QString::fromStdString(bench::RoomTexts()[i % bench::RoomTexts().size()]);
    if (i % 10 == 3) text += QStringLiteral(" :)");
    return text;
}

// Lines as a room window writes them: the nick in blue bold, the text rendered.
void Write(TranscriptView& view, int from, int count)
{
    TranscriptView::Batch batch(view);
    for (int i = from; i < from + count; ++i) {
        MoveToAppendPosition(view);
        StartPlainLine(view);
        StyledInsert(view, Qt::blue, true, false, QStringLiteral("nick%1: ").arg(i % 50));
        RenderFormatted(view, Text(i), RenderMode::Incoming);
        SetSelText(view, QStringLiteral("\n"));
    }
}

void BM_TranscriptMemory(benchmark::State& state)
{
    for (auto _ : state) {
        auto* view = new TranscriptView;
        Write(*view, 0, 1000);  // the shared looks and pictures made once
        const double before = bench::ResidentMiB();
        Write(*view, 1000, kLines);
        const double after = bench::ResidentMiB();
        state.counters["bytes_per_line"] = (after - before) * 1024 * 1024 / kLines;
        state.counters["lines"] = view->Store().Count();
        delete view;
    }
}

struct ShownTranscript {
    TranscriptView view;
    ShownTranscript()
    {
        view.resize(1280, 800);
        Write(view, 0, kLines);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view)) qWarning("the transcript was never shown");
        QCoreApplication::processEvents();
    }
};

void BM_TranscriptRepaint(benchmark::State& state)
{
    ShownTranscript t;
    for (auto _ : state)
        t.view.viewport()->repaint();
    state.counters["lines"] = t.view.Store().Count();
}

void BM_TranscriptPageStep(benchmark::State& state)
{
    ShownTranscript t;
    for (auto _ : state) {
        QKeyEvent up(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
        QCoreApplication::sendEvent(&t.view, &up);
        t.view.viewport()->repaint();
        if (t.view.Scroller().TopLine() == 0) {
            state.PauseTiming();
            QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            QCoreApplication::sendEvent(&t.view, &end);
            state.ResumeTiming();
        }
    }
}

}  // namespace

BENCHMARK(BM_TranscriptMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranscriptRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TranscriptPageStep)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
