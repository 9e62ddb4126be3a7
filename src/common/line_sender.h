#pragma once
// The one road of every line the program sends: built by the sent-lines
// builders, paced, written to the connection, and a failure told one way.

#include "protocol/irc/send_pacer.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class LineConnection;

// Every window, command, menu and handler hands its lines to the one sender
// of the connection. Ordinary lines are paced (a burst, then spaced out);
// PONG, QUIT and the login's lines go at once. A line is refused whole, with
// the reason, when it could never go: no connection, a line break or NUL in
// it, or more than the server's 512 bytes with CR LF.
class LineSender : public QObject {
    Q_OBJECT

public:
    enum class Pace { Paced, Immediate };

    // What became of lines handed to Send: queued (or sent), or refused with
    // the reason the user is to be told.
    struct Outcome {
        bool accepted = false;
        QString refusal;
    };

    explicit LineSender(LineConnection& connection, QObject* parent = nullptr);

    // Hands lines about target (a room with its "#", a nick, or empty) to the
    // road. onSent runs once the last of them is written (the caller shows
    // its own line then), and never when they are dropped or fail; it is
    // forgotten when context goes.
    Outcome Send(const std::vector<std::string>& lines, const QString& target = QString(), Pace pace = Pace::Paced,
                 QObject* context = nullptr, std::function<void()> onSent = {});
    Outcome Send(const std::string& line, const QString& target = QString(), Pace pace = Pace::Paced)
    {
        return Send(std::vector<std::string>{line}, target, pace);
    }
    // Lines that wait for their turn.
    int Waiting() const { return static_cast<int>(pacer_.Waiting()); }
    // The waiting lines about target go unsent (a window closed, a room
    // left); returns how many.
    int DropTarget(const QString& target);
    // Every waiting line goes unsent (a disconnect); returns how many.
    int DropAll();
    // The time lines of these sizes would take from a quiet start.
    int MillisecondsToSend(const std::vector<std::size_t>& sizes) const;
    // The longest line the server takes, CR LF included.
    static constexpr std::size_t kLongestLine = 512;

signals:
    void WaitingChanged(int lines);
    // A waiting line's turn came but the connection refused it: why.
    void WriteFailed(const QString& reason);

private:
    struct Pending {
        QPointer<QObject> context;
        bool hasContext = false;
        std::function<void()> onSent;
    };
    void Flush();
    void Schedule();
    void Forget(const std::vector<SendPacer::Line>& dropped);
    SendPacer::Limits Limits() const;

    LineConnection& connection_;
    SendPacer pacer_;
    QTimer timer_;
    int waitingTold_ = 0;
    // The callbacks of sent batches, by the id of their last line.
    QHash<quint64, Pending> pending_;
};
