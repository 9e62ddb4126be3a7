#include "irc_servers.h"

#include "protocol/irc/dispatch.h"
#include "protocol/irc/sent_lines.h"
#include "shell/main_window.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

QString ScriptDir() { return QStringLiteral(TALVESSA_SERVERS_DIR); }

bool PortFree(int port, int family)
{
    const int fd = ::socket(family, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_storage storage{};
    socklen_t len;
    if (family == AF_INET6) {
        auto* addr = reinterpret_cast<sockaddr_in6*>(&storage);
        addr->sin6_family = AF_INET6;
        addr->sin6_addr = in6addr_loopback;
        addr->sin6_port = htons(static_cast<uint16_t>(port));
        len = sizeof *addr;
    } else {
        auto* addr = reinterpret_cast<sockaddr_in*>(&storage);
        addr->sin_family = AF_INET;
        addr->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr->sin_port = htons(static_cast<uint16_t>(port));
        len = sizeof *addr;
    }
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&storage), len) == 0;
    ::close(fd);
    return ok;
}

// A port whose count - 1 neighbours (the services link of inspircd, the TLS
// ports) are free as well, and with ipv6 the port itself on ::1 too.
int FreePorts(int count, bool ipv6)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int port = 20000 + static_cast<int>(QRandomGenerator::global()->bounded(30000));
        bool free = !ipv6 || PortFree(port, AF_INET6);
        for (int i = 0; i < count && free; ++i) free = PortFree(port + i, AF_INET);
        if (free) return port;
    }
    return 0;
}

}  // namespace

const char* RealIrcServer::Name(Kind kind) { return kind == Kind::Ngircd ? "ngircd" : "inspircd"; }

bool RealIrcServer::Installed(Kind kind)
{
    if (kind == Kind::Ngircd) return QFile::exists("/usr/sbin/ngircd");
    return QFile::exists("/usr/sbin/inspircd") && QFile::exists("/usr/bin/atheme-services");
}

RealIrcServer::RealIrcServer(Kind kind, bool tls, Families families, Flood flood)
    : kind_(kind), tls_(tls), ipv6_(families == Families::Ipv4AndIpv6), flood_(flood)
{
    if (!Installed(kind)) {
        error_ = QString("%1 is not installed").arg(Name(kind));
        return;
    }
    QTemporaryDir tmp(QDir::tempPath() + "/talvessa-irc-XXXXXX");
    tmp.setAutoRemove(false);
    dir_ = tmp.path();
    for (int attempt = 0; attempt < 3 && !ok_; ++attempt) {
        port_ = FreePorts(tls ? 7 : 2, ipv6_);
        ok_ = Start();
    }
}

bool RealIrcServer::Start()
{
    QProcess start;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (tls_) env.insert("IRC_TLS", "1");
    if (ipv6_) env.insert("IRC_IPV6", "1");
    if (flood_ == Flood::RealNetworkLimits) env.insert("IRC_FLOOD", "1");
    start.setProcessEnvironment(env);
    QStringList args;
    if (kind_ == Kind::Ngircd) args << "--ngircd";
    args << dir_ << QString::number(port_);
    start.start(ScriptDir() + "/start-irc-servers", args);
    if (!start.waitForFinished(60000)) {
        start.kill();
        error_ = "start script did not finish";
        return false;
    }
    const bool ok = start.exitStatus() == QProcess::NormalExit && start.exitCode() == 0;
    if (!ok) error_ = QString::fromLocal8Bit(start.readAllStandardError());
    return ok;
}

bool RealIrcServer::Stop()
{
    QProcess stop;
    stop.start(ScriptDir() + "/stop-irc-servers", {dir_});
    return stop.waitForFinished(30000) && stop.exitCode() == 0;
}

bool RealIrcServer::Restart()
{
    // The port may linger a moment after the old server went.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (Start()) return true;
        QThread::msleep(250);
    }
    return false;
}

void RealIrcServer::Signal(int sig)
{
    QFile pids(dir_ + "/pids");
    if (!pids.open(QIODevice::ReadOnly)) return;
    for (const QByteArray& word : pids.readAll().split('\n'))
        for (const QByteArray& pid : word.split(' '))
            if (const int id = pid.trimmed().toInt(); id > 0) ::kill(id, sig);
}

RealIrcServer::~RealIrcServer()
{
    if (dir_.isEmpty()) return;
    QProcess stop;
    stop.start(ScriptDir() + "/stop-irc-servers", {dir_});
    stop.waitForFinished(30000);
    QDir(dir_).removeRecursively();
}

bool TestIrcClient::Login(int port, const std::string& nick, int timeoutMs)
{
    try {
        conn_.SetHost("127.0.0.1");
        conn_.SetPort(port);
        conn_.Connect();
        conn_.WriteLine("user " + nick + " 0 * :" + nick);
        conn_.WriteLine(sent::NickLine(nick));
    } catch (const TransportError&) {
        return false;
    }
    return !WaitFor(" 001 ", timeoutMs).empty();
}

void TestIrcClient::Send(const std::string& line) { conn_.WriteLine(line); }

std::string TestIrcClient::WaitFor(const std::string& needle, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        std::string line;
        try {
            line = conn_.ReadLine(static_cast<int>(left));
        } catch (const TransportError&) {
            return {};
        }
        if (line.empty()) continue;
        seen_.push_back(line);
        if (IsPing(line)) {
            conn_.WriteLine(PongLineFor(line));
            continue;
        }
        if (line.find(needle) != std::string::npos) return line;
    }
    return {};
}

bool LogInFrame(MainWindow& frame, int port, const std::string& nick, int timeoutMs)
{
    LineConnection& connection = frame.Connection();
    connection.SetHost("127.0.0.1");
    connection.SetPort(port);
    connection.Connect();
    connection.WriteLine("user " + nick + " 0 * :" + nick);
    connection.WriteLine(sent::NickLine(nick));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string line = connection.ReadLine(500);
        if (IsPing(line)) {
            connection.WriteLine(PongLineFor(line));
        } else if (line.find(" 001 ") != std::string::npos) {
            frame.SetCurrentNick(QString::fromStdString(nick));
            frame.Lifecycle().StartReader();
            return true;
        }
    }
    return false;
}
