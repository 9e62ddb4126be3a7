#pragma once
// Runs a login or registration machine through a script of server lines,
// silences and a closed connection, on a clock of the test's own.
#include "protocol/irc/exchange_machine.h"

#include <QString>
#include <QStringList>

// What a machine did over a whole script.
struct MachineRun {
    QStringList sent;
    QStringList logged;
    ExchangeStep::Ending ending = ExchangeStep::Ending::None;
    QString message;
    bool welcomed = false;
    long long endedAtMs = -1;  // on the script's clock
};

// Each entry of script is one input:
//   "<line"     the server sends line;
//   "+N"        N milliseconds pass, the machine ticked at every deadline on the way;
//   "~NxG line" the server sends line N times, G milliseconds apart (ticks between);
//   "close"     the connection ends (the transport's text: "Connection closed.").
// The machine is started at 0.
inline MachineRun RunScript(ExchangeMachine& machine, const QStringList& script)
{
    using Ms = ExchangeMachine::Ms;
    MachineRun run;
    Ms now{0};
    const auto take = [&](const ExchangeStep& step) {
        for (const auto& l : step.send) run.sent << QString::fromStdString(l);
        for (const auto& l : step.log) run.logged << QString::fromStdString(l);
        run.welcomed = run.welcomed || step.welcomed;
        if (step.ending != ExchangeStep::Ending::None && run.ending == ExchangeStep::Ending::None) {
            run.ending = step.ending;
            run.message = QString::fromStdString(step.message);
            run.endedAtMs = now.count();
        }
    };
    const auto pass = [&](Ms span) {
        const Ms until = now + span;
        for (auto due = machine.NextDeadline(); due && *due <= until; due = machine.NextDeadline()) {
            now = std::max(now, *due);
            take(machine.Tick(now));
        }
        now = until;
    };
    const auto receive = [&](const QString& text) {
        IrcMessage line;
        line.ParseLine(text.toStdString());
        take(machine.Receive(line, now));
    };
    take(machine.Start(now));
    for (const QString& entry : script) {
        if (entry.startsWith('<')) {
            receive(entry.mid(1));
        } else if (entry.startsWith('+')) {
            pass(Ms(entry.mid(1).toLongLong()));
        } else if (entry.startsWith('~')) {
            const int space = entry.indexOf(' ');
            const QStringList counts = entry.mid(1, space - 1).split('x');
            for (int i = 0; i < counts[0].toInt(); ++i) {
                pass(Ms(counts[1].toLongLong()));
                receive(entry.mid(space + 1));
            }
        } else if (entry == "close") {
            take(machine.Closed("Connection closed."));
        }
    }
    return run;
}
