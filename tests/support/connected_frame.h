#pragma once
// A frame window connected to a scripted server, for tests of what windows send.
#include "common/timings.h"
#include "shell/main_window.h"
#include "support/scripted_server.h"

#include <QStringList>

#include <string>

// A frame connected to a scripted server as "Ann", with the lines the server
// got from it since the last look.
class Connected {
    // The windows' lines go out unpaced: these tests are about what is sent.
    struct Unpaced {
        Unpaced() : saved(timing().sendBurstLines) { timing().sendBurstLines = 100000; }
        ~Unpaced() { timing().sendBurstLines = saved; }
        int saved;
    } unpaced_;

public:
    Connected()
    {
        frame.Connection().SetHost("127.0.0.1");
        frame.Connection().SetPort(server.Port());
        frame.Connection().Connect();
        frame.SetCurrentNick(QStringLiteral("Ann"));
    }

    // Every line sent since the last call: a marker line written after them
    // shows that nothing sent before it is still on its way.
    QStringList Sent()
    {
        const std::string marker = "marker " + std::to_string(++markers_);
        frame.Connection().WriteLine(marker);
        if (!server.WaitForReceived(marker))
            return {QStringLiteral("marker lost")};
        const std::vector<std::string> all = server.Received();
        QStringList lines;
        std::size_t i = seen_;
        for (; i < all.size() && all[i] != marker; ++i)
            lines << QString::fromStdString(all[i]);
        seen_ = i + 1;
        return lines;
    }

    ScriptedServer server;
    MainWindow frame;

private:
    int markers_ = 0;
    std::size_t seen_ = 0;
};
