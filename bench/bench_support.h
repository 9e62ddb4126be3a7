#pragma once
// What the benchmarks with widgets share: resident memory, an event loop that
// measures the longest stall, and a frame connected as after a login.
#include "transcript/transcript_view.h"
#include "shell/main_window.h"
#include "support/scripted_server.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextDocument>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace bench {

constexpr int kGiveUpMs = 120000;

// Resident memory of this process in MiB, from /proc/self/status.
inline double ResidentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Runs the UI event loop until done() holds, measuring the longest gap
// between ticks of a 10 ms timer. Returns false on time-out (giveUpMs).
inline bool RunUntil(const std::function<bool()>& done, qint64& longestGapMs, int giveUpMs = kGiveUpMs)
{
    QEventLoop loop;
    QElapsedTimer sinceTick;
    sinceTick.start();
    longestGapMs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
        if (done()) loop.quit();
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        timedOut = true;
        loop.quit();
    });
    ticker.start(10);
    giveUp.start(giveUpMs);
    loop.exec();
    return !timedOut;
}

// Times lines received lines on their way into view: start() sets them
// going, and the iteration time is taken the moment the drain closes the
// batch that holds the last one. Sets lines_per_s and longest_stall_ms;
// false, with the benchmark skipped, when they did not all arrive in time.
inline bool TimeTranscriptFlood(benchmark::State& state, TranscriptView& view, int lines,
                                const std::function<void()>& start)
{
    const int wanted = view.Store().Count() + lines;
    bool finished = false;
    QElapsedTimer clock;
    const QMetaObject::Connection watch = QObject::connect(&view, &TranscriptView::Change, [&] {
        if (!finished && view.Store().Count() >= wanted) {
            finished = true;
            state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        }
    });
    clock.start();
    start();
    qint64 stall = 0;
    const bool arrived = RunUntil([&] { return finished; }, stall);
    QObject::disconnect(watch);
    if (!arrived) {
        state.SkipWithError("the flood did not reach the transcript in time");
        return false;
    }
    state.counters["lines_per_s"] = lines / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
    state.counters["longest_stall_ms"] = static_cast<double>(stall);
    return true;
}

// The chat texts of a busy room: plain lines, colour, bold and underline codes.
inline const std::vector<std::string>& RoomTexts()
{
    static const std::vector<std::string> texts{
        "hello everyone, how is it going today?",
        "\x02" "important:\x02 the meeting moved to three o'clock",
        "\x03" "4red alert\x03 nothing to worry about, just testing colours",
        "did anybody see the match last night? it was incredible",
        "\x03" "12blue text\x0f and back to normal after a reset",
        "lol that is the funniest thing I have read all week",
        "\x1funderlined\x1f words and \x02\x03" "3green bold\x02 words",
        "can someone help me with my router settings please",
        "brb, coffee time",
    };
    return texts;
}

// A realistic mix: plain lines, colour and bold codes, one emoticon in ten.
inline std::vector<std::string> RoomMix()
{
    const char* senders[] = {"alice", "bob", "carol_", "dave", "Eve42", "frank", "grace", "heidi"};
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) {
        std::string text = RoomTexts()[i % RoomTexts().size()];
        if (i % 10 == 3) text += " :)";  // one emoticon in ten
        lines.push_back(std::string(":") + senders[i % 8] + "!~user@host-198-51-100-" + std::to_string(i) +
                        ".example.net PRIVMSG #lobby :" + text);
    }
    return lines;
}

// One private message from each of `partners` different nicks.
inline std::vector<std::string> PartnerLines(int partners)
{
    std::vector<std::string> lines;
    lines.reserve(partners);
    for (int i = 0; i < partners; ++i)
        lines.push_back(":partner" + std::to_string(i) + "!~p@198.51.100." + std::to_string(i % 250) +
                        " PRIVMSG me :hello there, it is me, number " + std::to_string(i) + " :)");
    return lines;
}

// The frame shown at 1000 x 700, connected to server and its reader
// started, as after a login.
inline void ShowConnected(MainWindow& frame, ScriptedServer& server)
{
    frame.resize(1000, 700);
    frame.show();
    frame.Connection().SetHost("127.0.0.1");
    frame.Connection().SetPort(server.Port());
    frame.Connection().Connect();
    frame.SetCurrentNick(QStringLiteral("me"));
    frame.Lifecycle().StartReader();
}

}  // namespace bench
