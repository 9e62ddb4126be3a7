// Finding in a long transcript and spotting links in chat text.
//
//   BM_FindInTranscript/common   a word on every ninth line of a 100,000-line
//                                transcript: the first search after new lines
//                                (the transcript's text read again) and "n of m"
//   BM_FindInTranscript/rare     a word on one line only
//   BM_FindNext                  Enter in the find bar: the next match shown
//   BM_FindLinks                 link detection over chat lines like the flood's,
//                                one line in ten with an address or a room
#include "chat/find_bar.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "common/link_spans.h"

#include "bench_support.h"
#include "qt_benchmark_main.h"
#include "support/window_controls.h"

#include <QLineEdit>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kLines = 100000;

// The busy room's texts, and one with a link and a room name.
const QStringList& Texts()
{
    static const QStringList texts = [] {
        QStringList out;
        for (const std::string& text : bench::RoomTexts()) out << QString::fromStdString(text);
        out << QStringLiteral("the notes are at https://example.org/notes?id=42 and in #lobby-archive");
        return out;
    }();
    return texts;
}

// One transcript for every run: filling it takes longer than the finding.
struct Transcript {
    QWidget host;
    TranscriptView* view = new TranscriptView(&host);
    FindBar* bar = new FindBar(view, &host);
    Transcript()
    {
        TranscriptView::Batch batch(*view);
        for (int i = 0; i < kLines; ++i) {
            MoveToAppendPosition(*view);
            StyledInsert(*view, Qt::blue, true, false, QStringLiteral("nick%1: ").arg(i % 50));
            RenderFormatted(*view, Texts().at(i % Texts().size()) + (i == kLines / 2 ? " zebra" : ""),
                            RenderMode::Incoming);
            SetSelText(*view, QStringLiteral("\n"));
        }
        bar->Open();
    }
};

Transcript& Shared()
{
    static Transcript transcript;
    return transcript;
}

void BM_FindInTranscript(benchmark::State& state, const char* word)
{
    Transcript& t = Shared();
    for (auto _ : state) {
        // New lines since the last search: the text is read again.
        MoveToAppendPosition(*t.view);
        SetSelText(*t.view, QStringLiteral("one more line\n"));
        Control<QLineEdit>(*t.bar, "findLine")->setText(QString::fromLatin1(word));
        t.bar->Search(QString::fromLatin1(word));
        benchmark::DoNotOptimize(t.bar->MatchCount());
    }
    state.counters["matches"] = t.bar->MatchCount();
    state.counters["lines"] = t.view->Store().Count();
}
BENCHMARK_CAPTURE(BM_FindInTranscript, common, "meeting")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindInTranscript, rare, "zebra")->Unit(benchmark::kMillisecond);

void BM_FindNext(benchmark::State& state)
{
    Transcript& t = Shared();
    Control<QLineEdit>(*t.bar, "findLine")->setText(QStringLiteral("meeting"));
    t.bar->Search(QStringLiteral("meeting"));
    for (auto _ : state)
        t.bar->FindNext();
}
BENCHMARK(BM_FindNext)->Unit(benchmark::kMillisecond);

void BM_FindLinks(benchmark::State& state)
{
    qsizetype found = 0;
    for (auto _ : state)
        for (const QString& text : Texts()) found += FindLinks(text).size();
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * Texts().size());
}
BENCHMARK(BM_FindLinks);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
