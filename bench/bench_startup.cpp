// Start-up and login timings: how long from program start to the frame being
// shown (the splash's own second included), and how much the login exchange
// adds beyond the silences it is meant to wait for.
#include "shell/application.h"
#include "support/window_controls.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "support/scripted_server.h"
#include "support/login_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

// Milliseconds since the process started (10 ms resolution), so the first
// start-up also counts loading the libraries and making the application object.
double SinceProcessStartMs()
{
    QFile stat("/proc/self/stat");
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();  // field 22 of the file
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (now.tv_sec + now.tv_nsec / 1e9 - startTicks / sysconf(_SC_CLK_TCK)) * 1000.0;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Program start as main() does it, until the frame is on screen.
double StartUpMs()
{
    QElapsedTimer clock;
    clock.start();
    MainWindow* frame = StartProgram();
    if (!QTest::qWaitForWindowExposed(frame)) std::fprintf(stderr, "frame never exposed\n");
    const double ms = clock.nsecsElapsed() / 1e6;
    delete frame;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
}

// From Ok in the login dialog to the frame's reader running with the first
// requests sent, minus the silences the exchange waits for by design.
double LoginOverheadMs(int silenceMs)
{
    ScriptedServer server;
    server.Expect("user bench localhost localhost bench")
        .Expect("nick bench")
        .Send(":irc.test 001 bench :Welcome")
        .Expect("lusers")
        .Expect("quit")
        .Close();
    timing().defaultPort = server.Port();
    MainWindow frame;
    Control<QComboBox>(frame, "serverBox")->setEditText("127.0.0.1");
    QElapsedTimer clock;
    QTimer::singleShot(0, &frame, [&] {
        auto* login = frame.findChild<LoginDialog*>();
        clock.start();
        StartLogin(login, "bench");
    });
    Control<QAction>(frame, "connectAction")->trigger();  // returns once the reader runs and the first requests are out
    const double ms = clock.nsecsElapsed() / 1e6;
    if (!frame.Reader()) std::fprintf(stderr, "login failed\n");
    Control<QAction>(frame, "connectAction")->trigger();
    // Waited by design: the silence after the welcome (this server sends no
    // end of its greeting).
    return ms - silenceMs;
}

}  // namespace

int main(int argc, char** argv)
{
    TalvessaApplication app(argc, argv);
    PromptRecorder prompts;
    const int runs = 9;

    std::vector<double> startUp{StartUpMs()};
    std::printf("first frame shown %.0f ms after the process started (splash included)\n", SinceProcessStartMs());
    for (int i = 1; i < runs; ++i) startUp.push_back(StartUpMs());
    std::printf("start-up to frame shown: first %.1f ms, median %.1f ms (splash %d ms included), over %d runs\n",
                startUp.front(), Median(startUp), timing().splashMs, runs);

    ShrunkTimings timings(200, 200);
    std::vector<double> overhead;
    for (int i = 0; i < runs; ++i) overhead.push_back(LoginOverheadMs(200));
    std::printf("login overhead beyond the fixed waits: median %.1f ms, max %.1f ms, over %d runs\n",
                Median(overhead), *std::max_element(overhead.begin(), overhead.end()), runs);
    return prompts.records.isEmpty() ? 0 : 1;
}
