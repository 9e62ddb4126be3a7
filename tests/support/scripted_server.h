#pragma once

#include "support/loopback_listener.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A scripted IRC server on loopback that tests drive: it sends and expects lines
// on its own thread and records every byte its clients sent.
//
// Steps run in order on the server thread. A step that needs a client uses the
// script's current connection; when there is none, it takes the next accepted
// one (waiting for it to arrive). Close() and AwaitClientClose() release the
// current connection, so the step after them works on the next client.
// Every step that waits gives up after its time-out (SetTimeout, 5 s unless
// changed), counted from when it starts; a send counts it from its last
// progress. The first failed step records an error and drops the rest of the
// script. Clients are read all the time, also between steps.
//
// All public methods may be called from any thread while the server runs. The
// Wait* methods block the caller; a test whose client needs the Qt event loop
// polls the non-blocking ones instead: QTRY_VERIFY(server.Done()).
class ScriptedServer {
public:
    static constexpr int kDefaultTimeoutMs = 5000;

    // Listens at once on 127.0.0.1:<free port>, or on [::1]:<free port>.
    explicit ScriptedServer(Loopback family = Loopback::Ipv4);
    ~ScriptedServer();  // stops the thread and closes every socket, even mid-step
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int Port() const;

    // Time-out for the waits of the steps added after this call.
    ScriptedServer& SetTimeout(int ms);

    // --- Script steps ---
    ScriptedServer& Send(const std::string& line);        // line + "\r\n"
    ScriptedServer& SendRaw(const std::string& bytes);    // exactly these bytes
    ScriptedServer& SendBulk(const std::string& block, std::size_t times);  // block, `times` times over
    ScriptedServer& SendMany(const std::vector<std::string>& lines, std::size_t repeat = 1);  // each + "\r\n"
    // Wait until a line the current client sent equals `line` (or starts with
    // `prefix`), looking from just after the line the previous Expect matched,
    // so lines that came before the step count. Lines before the match are
    // skipped; a client that closes before sending it fails the step at once.
    ScriptedServer& Expect(const std::string& line);
    ScriptedServer& ExpectPrefix(const std::string& prefix);
    ScriptedServer& Pause(int ms);
    ScriptedServer& Close();             // close the current client: it reads to the end, then sees end of stream
    // From here on, read nothing more from the current client (a server that
    // hangs): what it sends piles up in the system's buffers until they are
    // full. Its closing is still noticed.
    ScriptedServer& StopReading();
    ScriptedServer& AwaitClientClose();  // wait until the current client closes its side

    // --- State of the script ---
    bool Done() const;    // every step added so far has run successfully
    bool Failed() const;  // a step failed; see Errors()
    bool WaitDone(int timeoutMs = kDefaultTimeoutMs) const;  // Done(), waiting; false on time-out or failure
    std::vector<std::string> Errors() const;

    // --- What the clients sent ---
    std::vector<std::string> Received() const;  // lines of all clients, without LF and one CR before it
    std::string ReceivedBytes() const;          // every byte, raw
    bool HasReceived(const std::string& line) const;
    bool HasReceivedPrefix(const std::string& prefix) const;
    bool WaitForReceived(const std::string& line, int timeoutMs = kDefaultTimeoutMs) const;

    int Connections() const;       // clients accepted so far
    bool ClientConnected() const;  // some accepted client is still connected

private:
    struct Step;
    struct Connection;

    ScriptedServer& Add(Step step);
    void Wake();
    void Run();
    void PollOnce();
    void AcceptClients();
    void ReadFrom(Connection& conn);
    void RecordBytes(Connection& conn, const char* data, std::size_t size);
    void RecordLine(Connection& conn, std::string line);
    void PeerClosed(Connection& conn);
    void CloseSocket(Connection& conn);
    void FlushOutput(Connection& conn);
    void RefillBulk();
    void AdvanceScript();
    bool StartStep();
    bool ProgressStep();
    Connection* ScriptConnection();
    void CompleteStep();
    void FailStep(const std::string& why);
    std::string DescribeStep() const;
    std::string RecentLines(const Connection& conn) const;

    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;

    // Shared with the caller's thread, behind mutex_.
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stop_ = false;
    int timeoutMs_ = kDefaultTimeoutMs;
    std::deque<std::unique_ptr<Step>> pending_;
    std::size_t stepsAdded_ = 0;
    std::size_t stepsDone_ = 0;
    bool failed_ = false;
    std::vector<std::string> errors_;
    std::vector<std::string> received_;
    std::string receivedBytes_;
    int accepted_ = 0;
    int openClients_ = 0;

    // Owned by the server thread alone.
    std::vector<std::unique_ptr<Connection>> conns_;
    std::unique_ptr<Step> active_;
    int current_ = -1;   // index into conns_ of the script's connection, -1: none
    int nextConn_ = 0;   // the connection the next client-needing step takes
    long long deadline_ = 0;  // steady-clock ms when the active step gives up

    std::thread thread_;
};
