#pragma once
// What the benchmarks with widgets share: resident memory, an event loop that
// measures the longest stall, and a frame connected as after a login.
#include "shell/main_form.h"
#include "support/scripted_server.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

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
// between ticks of a 10 ms timer. Returns false on time-out.
inline bool RunUntil(const std::function<bool()>& done, qint64& longestGapMs)
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
    giveUp.start(kGiveUpMs);
    loop.exec();
    return !timedOut;
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
inline void ShowConnected(TMainForm& frame, ScriptedServer& server)
{
    frame.resize(1000, 700);
    frame.show();
    frame.IdTCPClient1.SetHost("127.0.0.1");
    frame.IdTCPClient1.SetPort(server.Port());
    frame.IdTCPClient1.Connect();
    frame.SetCurrentNick(QStringLiteral("me"));
    frame.Lifecycle().StartReader();
}

}  // namespace bench
