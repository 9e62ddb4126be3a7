// TLS against inspircd listening with certificates made for the test: a
// verified login and a chat both ways, each kind of certificate that does not
// verify (the reason in words, the SHA-256 fingerprint) and the trust the user
// may give it (asked once, remembered per host and port, each port asked
// about on its own), and a TLS connection to a plain port or a plain one to
// a TLS port ending with a clear message within 10 s.
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "common/program_settings.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"
#include "shell/tls_status.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "shell/tls_switch.h"
#include "side/room_list_window.h"
#include "support/irc_servers.h"
#include "support/temp_user_data.h"
#include "support/window_controls.h"
#include "support/login_controls.h"

#include <QComboBox>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <memory>

using TlsPort = RealIrcServer::TlsPort;
Q_DECLARE_METATYPE(RealIrcServer::TlsPort)

namespace {

QString UniqueNick(const char* stem) { return stem + QString::number(QRandomGenerator::global()->bounded(100000, 999999)); }

const char* CertName(TlsPort port)
{
    switch (port) {
    case TlsPort::Verified: return "good";
    case TlsPort::SelfSigned: return "selfsigned";
    case TlsPort::Expired: return "expired";
    case TlsPort::WrongHost: return "wronghost";
    case TlsPort::UnknownIssuer: return "unknown";
    }
    return "";
}

// The fingerprint as openssl itself tells it.
QString OpenSslFingerprint(const QString& pem)
{
    QProcess p;
    p.start("openssl", {"x509", "-in", pem, "-noout", "-fingerprint", "-sha256"});
    p.waitForFinished(10000);
    const QString out = QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    return out.mid(out.indexOf('=') + 1);
}

PrivateWindow* PrivateWindowTitled(const MainWindow& frame, const QString& title)
{
    for (QWidget* w : frame.ChildWindows())
        if (auto* p = qobject_cast<PrivateWindow*>(w); p && p->Title() == title) return p;
    return nullptr;
}

}  // namespace

class TestTlsReal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void verification_data();
    void verification();
    void verifiedLoginAndChatBothWays();
    void trustFlow_data();
    void trustFlow();
    void wrongKindOfPort_data();
    void wrongKindOfPort();

private:
    std::unique_ptr<RealIrcServer> server_;
    TempUserData userData_;  // the trusted certificates and the account's lists
};

void TestTlsReal::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);  // the TLS switch's settings stay out of the user's own
    ProgramSettings().clear();
    if (!RealIrcServer::Installed(RealIrcServer::Kind::InspircdWithServices)) QSKIP("inspircd is not installed");
    server_ = std::make_unique<RealIrcServer>(RealIrcServer::Kind::InspircdWithServices, true);
    QVERIFY2(server_->Ok(), qPrintable(server_->Error()));
    // The test's authority stands for the system's store.
    qputenv("SSL_CERT_FILE", server_->CaFile().toLocal8Bit());
    qputenv("SSL_CERT_DIR", QByteArray("/nonexistent"));
}

void TestTlsReal::cleanupTestCase() { server_.reset(); }

void TestTlsReal::verification_data()
{
    QTest::addColumn<TlsPort>("port");
    QTest::addColumn<bool>("trusted");  // the certificate's fingerprint is trusted for the host
    QTest::addColumn<QString>("reason");  // a word of the reason; empty: the login goes ahead

    QTest::newRow("verified") << TlsPort::Verified << false << "";
    QTest::newRow("self-signed") << TlsPort::SelfSigned << false << "self-signed";
    QTest::newRow("expired") << TlsPort::Expired << false << "has expired";
    QTest::newRow("wrong host") << TlsPort::WrongHost << false << "another name, not for 127.0.0.1";
    QTest::newRow("unknown issuer") << TlsPort::UnknownIssuer << false << "authority this computer does not know";
    QTest::newRow("self-signed, trusted") << TlsPort::SelfSigned << true << "";
    QTest::newRow("expired, trusted") << TlsPort::Expired << true << "";
    QTest::newRow("wrong host, trusted") << TlsPort::WrongHost << true << "";
}

void TestTlsReal::verification()
{
    QFETCH(TlsPort, port);
    QFETCH(bool, trusted);
    QFETCH(QString, reason);
    const QString fingerprint =
        OpenSslFingerprint(server_->CaFile().replace("ca.pem", QString(CertName(port)) + ".pem"));
    QCOMPARE(fingerprint.size(), 95);  // 32 pairs and their colons

    LineConnection connection;
    connection.SetHost("127.0.0.1");
    connection.SetPort(server_->Port(port));
    TlsSettings tls;
    tls.enabled = true;
    if (trusted) tls.trusted = {"00:11", fingerprint.toStdString()};
    connection.SetTls(tls);
    if (!reason.isEmpty()) {
        try {
            connection.Connect();
            QFAIL("the certificate was taken");
        } catch (const CertificateError& e) {
            QVERIFY2(QString::fromStdString(e.Reason()).contains(reason), e.what());
            QCOMPARE(QString::fromStdString(e.Fingerprint()), fingerprint);
            QVERIFY(!e.Changed());
            QCOMPARE(e.Host(), std::string("127.0.0.1"));
        }
        QVERIFY(!connection.Connected());
        return;
    }
    connection.Connect();
    QVERIFY(connection.Secure());
    const std::string nick = UniqueNick("tls").toStdString();
    connection.WriteLine("user " + nick + " 0 * :" + nick);
    connection.WriteLine(sent::NickLine(nick));
    QElapsedTimer clock;
    clock.start();
    bool welcomed = false;
    while (!welcomed && clock.elapsed() < 15000) {
        const std::string line = connection.ReadLine(500);
        if (line.rfind("PING", 0) == 0) connection.WriteLine("PONG" + line.substr(4));
        welcomed = line.find(" 001 " + nick + " ") != std::string::npos;
    }
    QVERIFY(welcomed);
    connection.Disconnect();
}

void TestTlsReal::verifiedLoginAndChatBothWays()
{
    ShrunkTimings timings(3000, 2000);
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    timing().defaultPort = server_->Port();
    const QString nick = UniqueNick("alice");
    const QString partnerNick = UniqueNick("bob");

    LogInThroughServerBox(frame, QStringLiteral("ircs://127.0.0.1:%1").arg(server_->Port(TlsPort::Verified)), nick);
    QVERIFY2(prompts.records.isEmpty(), qPrintable(prompts.Texts().join('|')));
    QCOMPARE(frame.CurrentNick(), nick);
    QVERIFY(frame.Connection().Secure());
    QVERIFY(Control<TranscriptView>(frame, "serverLog")->toPlainText().contains(
        QStringLiteral("Trying to connect with 127.0.0.1 at port %1 (TLS)....").arg(server_->Port(TlsPort::Verified))));

    TestIrcClient bob;  // on the plain port of the same server
    QVERIFY(bob.Login(server_->Port(), partnerNick.toStdString()));
    bob.Send(("privmsg " + nick + " :hello over the wire").toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(PrivateWindowTitled(frame, partnerNick), 10000);
    PrivateWindow* w = PrivateWindowTitled(frame, partnerNick);
    QTRY_VERIFY_WITH_TIMEOUT(w->Transcript().toPlainText().contains("hello over the wire"), 10000);

    InputLine(*w)->setText(QStringLiteral("and back again"));
    QTest::keyClick(InputLine(*w), Qt::Key_Return);
    QVERIFY(!bob.WaitFor(":and back again").empty());

    Control<QAction>(frame, "connectAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!frame.Connection().Connected(), 10000);
    QTRY_VERIFY(!frame.findChild<TlsStatus*>(QStringLiteral("tlsStatus"))->isVisibleTo(&frame));  // gone with the connection
}

void TestTlsReal::trustFlow_data()
{
    // The rows run in order against one user data folder: each sees the
    // trust the rows before it gave.
    QTest::addColumn<TlsPort>("port");
    QTest::addColumn<bool>("answer");       // the user's answer, if asked
    QTest::addColumn<QStringList>("asked");  // words of the question; empty: nothing asked
    QTest::addColumn<bool>("loggedIn");

    // Trust is kept per port: another port of the same host is asked about
    // on its own, as a certificate never trusted, not as a changed one.
    const QString fresh = QStringLiteral("127.0.0.1 could not be verified");
    QTest::newRow("self-signed, not trusted") << TlsPort::SelfSigned << false << QStringList{fresh, "self-signed"}
                                              << false;
    QTest::newRow("self-signed, trusted") << TlsPort::SelfSigned << true << QStringList{fresh, "self-signed"} << true;
    QTest::newRow("the same certificate goes ahead") << TlsPort::SelfSigned << false << QStringList{} << true;
    QTest::newRow("another port asks on its own") << TlsPort::Expired << false << QStringList{fresh, "has expired"}
                                                  << false;
    QTest::newRow("wrong host on a third port") << TlsPort::WrongHost << false << QStringList{fresh, "another name"}
                                                << false;
    QTest::newRow("unknown issuer, trusted") << TlsPort::UnknownIssuer << true << QStringList{fresh, "does not know"}
                                             << true;
    QTest::newRow("the first port's trust is kept") << TlsPort::SelfSigned << false << QStringList{} << true;
    QTest::newRow("a verified certificate never asks") << TlsPort::Verified << false << QStringList{} << true;
}

void TestTlsReal::trustFlow()
{
    QFETCH(TlsPort, port);
    QFETCH(bool, answer);
    QFETCH(QStringList, asked);
    QFETCH(bool, loggedIn);

    ShrunkTimings timings(3000, 2000);
    PromptRecorder prompts;
    prompts.confirmAnswer = answer;
    MainWindow frame;
    frame.show();
    // The switch: a host and port without a scheme.
    LogInThroughServerBox(frame, QStringLiteral("127.0.0.1:%1").arg(server_->Port(port)), UniqueNick("pin"), true);

    if (asked.isEmpty()) {
        QVERIFY2(prompts.confirmAsked.isEmpty(), qPrintable(prompts.confirmAsked.join('|')));
    } else {
        QCOMPARE(prompts.confirmAsked.size(), 1);
        const QString question = prompts.confirmAsked.first();
        for (const QString& word : asked) QVERIFY2(question.contains(word), qPrintable(question));
        const QString fingerprint =
            OpenSslFingerprint(server_->CaFile().replace("ca.pem", QString(CertName(port)) + ".pem"));
        QVERIFY2(question.contains(fingerprint), qPrintable(question));
        QVERIFY(question.contains("trust this certificate for 127.0.0.1"));
    }
    QVERIFY2(prompts.Errors().isEmpty(), qPrintable(prompts.Errors().join('|')));
    QCOMPARE(frame.Connection().Connected(), loggedIn);
    QCOMPARE(!frame.CurrentNick().isEmpty(), loggedIn);
    // The status bar's mark of the secured connection, and what its tooltip
    // says of the certificate: a trusted one that does not verify says so.
    auto* mark = frame.findChild<TlsStatus*>(QStringLiteral("tlsStatus"));
    QVERIFY(mark);
    QCOMPARE(mark->isVisibleTo(&frame), loggedIn);
    if (loggedIn) {
        const QString tip = mark->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("Subject: ")) && tip.contains(QStringLiteral("Issuer: ")), qPrintable(tip));
        QVERIFY2(tip.contains(OpenSslFingerprint(server_->CaFile().replace("ca.pem", QString(CertName(port)) + ".pem"))),
                 qPrintable(tip));
        QCOMPARE(tip.contains(QStringLiteral("you chose to trust it")), port != TlsPort::Verified);
    }
    if (loggedIn) {
        Control<QAction>(frame, "connectAction")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!frame.Connection().Connected(), 10000);
    } else {
        QVERIFY(Control<TranscriptView>(frame, "serverLog")->toPlainText().contains("is not trusted"));
    }
}

void TestTlsReal::wrongKindOfPort_data()
{
    QTest::addColumn<bool>("tlsToPlain");
    QTest::addColumn<QString>("message");

    QTest::newRow("TLS to the plain port") << true << "not speak TLS";
    QTest::newRow("plain to a TLS port") << false << "speaks TLS";
}

void TestTlsReal::wrongKindOfPort()
{
    QFETCH(bool, tlsToPlain);
    QFETCH(QString, message);

    ShrunkTimings timings(3000, 2000);
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    const QString box = tlsToPlain ? QStringLiteral("ircs://127.0.0.1:%1").arg(server_->Port())
                                   : QStringLiteral("127.0.0.1:%1").arg(server_->Port(TlsPort::Verified));
    QElapsedTimer clock;
    clock.start();
    LogInThroughServerBox(frame, box, UniqueNick("port"));
    const qint64 took = clock.elapsed();
    QVERIFY2(prompts.Errors().size() == 1, qPrintable(prompts.Texts().join('|') + Control<TranscriptView>(frame, "serverLog")->toPlainText()));
    QVERIFY2(prompts.Errors().first().contains(message), qPrintable(prompts.Errors().first()));
    QVERIFY2(took < 10000, qPrintable(QString::number(took)));
    QVERIFY(!frame.Connection().Connected());
}

QTEST_MAIN(TestTlsReal)
#include "tst_tls_real.moc"
