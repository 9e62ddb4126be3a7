// TLS against plain text, through the whole road of a received line, and the
// endings of a TLS connection:
//
//   BM_RoomFlood/0|1    100,000 PRIVMSG lines into one visible room window,
//                       plain (0) or over TLS (1); longest_stall_ms is the
//                       longest gap of a 10 ms timer on the UI thread
//   BM_TlsStall         a TLS server that stops reading: time from the first
//                       write the full buffer refused until the connection is
//                       cut off (the 30 s stall limit)
//   BM_TlsCancel        Cancel while the server never answers the handshake:
//                       time from Disconnect until Connect gives up
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "shell/main_window.h"
#include "support/tls_test_server.h"

#include "bench_support.h"

#include "qt_benchmark_main.h"
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRoomLines = 100000;

// One certificate for every run; SSL_CERT_FILE names it as the authority.
const QTemporaryDir& CertificateFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        const bool ok = TlsTestServer::MakeCertificate(dir.path());
        qputenv("SSL_CERT_FILE", (dir.path() + "/cert.pem").toLocal8Bit());
        return ok;
    }();
    (void)made;
    return dir;
}

std::unique_ptr<TlsTestServer> MakeServer(TlsTestServer::Mode mode, const std::vector<std::string>& lines = {},
                                          std::size_t repeat = 1, bool hold = false)
{
    const QString dir = CertificateFolder().path();
    return std::make_unique<TlsTestServer>(dir + "/cert.pem", dir + "/key.pem", mode, lines, repeat, hold);
}

void AimAt(LineConnection& c, int port, bool tls)
{
    c.SetHost("127.0.0.1");
    c.SetPort(port);
    TlsSettings settings;
    settings.enabled = tls;
    c.SetTls(settings);
}

void BM_RoomFlood(benchmark::State& state)
{
    const bool tls = state.range(0) != 0;
    const std::vector<std::string> mix = bench::RoomMix();
    for (auto _ : state) {
        // The same server either way, so only the secure layer differs.
        const auto server = MakeServer(tls ? TlsTestServer::Mode::Send : TlsTestServer::Mode::SendPlain, mix,
                                       kRoomLines / mix.size(), true);
        MainWindow frame;
        frame.resize(1000, 700);
        frame.show();
        AimAt(frame.Connection(), server->Port(), tls);
        frame.Connection().Connect();
        frame.SetCurrentNick(QStringLiteral("me"));
        frame.Lifecycle().StartReader();
        RoomWindow* room = frame.OpenRoomWindow(QStringLiteral("lobby"));
        frame.BringToFront(room);
        QCoreApplication::processEvents();
        if (!bench::TimeTranscriptFlood(state, room->Transcript(), kRoomLines, [&] { server->Release(); })) break;
        frame.Lifecycle().StopReader(2000);
    }
}

void BM_TlsStall(benchmark::State& state)
{
    for (auto _ : state) {
        auto server = MakeServer(TlsTestServer::Mode::Deaf);
        LineConnection c;
        AimAt(c, server->Port(), true);
        c.Connect();
        const std::string line = "privmsg #a :" + std::string(8000, 'x');
        Clock::time_point refused{};
        for (int i = 0; i < 1000000; ++i) {
            try {
                c.WriteLine(line);
            } catch (const TransportError&) {
                refused = Clock::now();
                break;
            }
        }
        while (c.Connected() && Clock::now() - refused < std::chrono::seconds(60))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const double s = std::chrono::duration<double>(Clock::now() - refused).count();
        if (c.StallText().empty()) state.SkipWithError("the connection was not cut off for the stall");
        state.SetIterationTime(s);
    }
}

void BM_TlsCancel(benchmark::State& state)
{
    for (auto _ : state) {
        auto server = MakeServer(TlsTestServer::Mode::Silent);
        LineConnection c;
        AimAt(c, server->Port(), true);
        Clock::time_point cancelled{};
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            cancelled = Clock::now();
            c.Disconnect();
        });
        bool calledOff = false;
        try {
            c.Connect();
        } catch (const TransportError& e) {
            calledOff = std::string(e.what()).find("called off") != std::string::npos;
        }
        const auto ended = Clock::now();
        canceller.join();
        if (!calledOff) state.SkipWithError("the handshake was not called off");
        state.SetIterationTime(std::chrono::duration<double>(ended - cancelled).count());
    }
}

BENCHMARK(BM_RoomFlood)->Arg(0)->Arg(1)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TlsStall)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TlsCancel)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
