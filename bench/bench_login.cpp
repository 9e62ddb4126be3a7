// From Ok in the login dialog to the dialog closed, with the program's own
// waits (no shrunk timings), for a guest and for a SASL login:
//
//   BM_LoginScripted/0|1   against a scripted server that answers at once:
//                          guest (0) or SASL PLAIN (1)
//   BM_LoginInspircd/0|1   against the real inspircd with atheme's services,
//                          which registers a client on a one-second timer
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "support/irc_servers.h"
#include "support/login_controls.h"
#include "support/prompt_recorder.h"
#include "support/scripted_server.h"

#include "qt_benchmark_main.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kGiveUpMs = 60000;

// One login from Ok to the dialog closed, in seconds; negative when it failed.
double TimeLogin(int port, const QString& nick, const QString& password)
{
    PromptRecorder prompts;
    MainWindow frame;
    frame.Connection().SetHost("127.0.0.1");
    frame.Connection().SetPort(port);
    auto dialog = std::make_unique<LoginDialog>(&frame);
    dialog->SetConnection(&frame.Connection());
    dialog->open();
    QElapsedTimer clock;
    clock.start();
    StartLogin(dialog.get(), nick, password);
    while (dialog->isVisible() && !dialog->LoggedIn() && prompts.records.isEmpty() && clock.elapsed() < kGiveUpMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const bool ok = dialog->LoggedIn();
    dialog.reset();
    frame.Lifecycle().Disconnect();
    return ok ? seconds : -1;
}

void Report(benchmark::State& state, double seconds)
{
    if (seconds < 0) {
        state.SkipWithError("the login failed");
        return;
    }
    state.SetIterationTime(seconds);
}

void BM_LoginScripted(benchmark::State& state)
{
    const bool sasl = state.range(0) == 1;
    for (auto _ : state) {
        ScriptedServer server;
        server.Expect("nick bench");
        if (sasl) {
            server.Send(":irc.test CAP * LS :sasl")
                .Expect("CAP REQ :sasl")
                .Send(":irc.test CAP * ACK :sasl")
                .Expect("AUTHENTICATE PLAIN")
                .Send("AUTHENTICATE +")
                .ExpectPrefix("AUTHENTICATE ")
                .Send(":irc.test 903 bench :SASL authentication successful");
        } else {
            server.Send(":irc.test CAP * LS :multi-prefix");
        }
        server.Expect("CAP END")
            .Send(":irc.test 001 bench :Welcome")
            .Send(":irc.test 376 bench :End of message of the day.");
        Report(state, TimeLogin(server.Port(), "bench", sasl ? "secret" : QString()));
    }
}
BENCHMARK(BM_LoginScripted)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The real server, started once, with one account registered for SASL.
struct Inspircd {
    std::unique_ptr<RealIrcServer> server;
    std::string account;
    std::string password = "BenchPw77";
    bool ok = false;

    Inspircd()
    {
        if (!RealIrcServer::Installed(RealIrcServer::Kind::InspircdWithServices)) return;
        server = std::make_unique<RealIrcServer>(RealIrcServer::Kind::InspircdWithServices);
        if (!server->Ok()) return;
        account = "bench" + std::to_string(QRandomGenerator::global()->bounded(10000, 99999));
        TestIrcClient registrar;
        if (!registrar.Login(server->Port(), account)) return;
        registrar.Send("nickserv register " + password + " " + account + "@example.org");
        if (registrar.WaitFor("is now registered").empty()) return;
        registrar.Send("QUIT");
        ok = !registrar.WaitFor("ERROR").empty();
    }
};

void BM_LoginInspircd(benchmark::State& state)
{
    static Inspircd real;
    if (!real.ok) {
        state.SkipWithError("inspircd with atheme is not available");
        return;
    }
    const bool sasl = state.range(0) == 1;
    int round = 0;
    for (auto _ : state) {
        // Each guest takes a nick of its own; the account's nick is free again
        // once the last round's quit went through.
        const QString nick = sasl ? QString::fromStdString(real.account)
                                  : QStringLiteral("guest%1x%2").arg(state.range(0)).arg(++round);
        Report(state, TimeLogin(real.server->Port(), nick, sasl ? QString::fromStdString(real.password) : QString()));
    }
}
BENCHMARK(BM_LoginInspircd)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
