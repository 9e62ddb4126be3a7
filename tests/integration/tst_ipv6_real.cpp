// Real servers listening on ::1 as well as 127.0.0.1: a login through the
// server box's IPv6 forms ("[::1]:port", "irc://[::1]:port", "::1" on the
// default port) reaches the server over IPv6, the server log tells the
// address, and a user on IPv4 reaches the one on IPv6.
#include "chat/private_window.h"
#include "support/window_controls.h"
#include "transcript/transcript_view.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "shell/tls_switch.h"
#include "side/room_list_window.h"
#include "support/irc_servers.h"
#include "support/login_controls.h"
#include "support/temp_user_data.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

#include <memory>

using Kind = RealIrcServer::Kind;
Q_DECLARE_METATYPE(RealIrcServer::Kind)

namespace {

QString UniqueNick(const char* stem) { return stem + QString::number(QRandomGenerator::global()->bounded(100000, 999999)); }

PrivateWindow* PrivateWindowTitled(const MainWindow& frame, const QString& title)
{
    for (QWidget* w : frame.ChildWindows())
        if (auto* p = qobject_cast<PrivateWindow*>(w); p && p->Title() == title) return p;
    return nullptr;
}

}  // namespace

class TestIpv6Real : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void loginOverIpv6_data();
    void loginOverIpv6();

private:
    RealIrcServer* ServerOf(Kind kind) { return kind == Kind::Ngircd ? ngircd_.get() : inspircd_.get(); }

    std::unique_ptr<RealIrcServer> inspircd_;
    std::unique_ptr<RealIrcServer> ngircd_;
    TempUserData userData_;
};

void TestIpv6Real::initTestCase()
{
    for (const Kind kind : {Kind::InspircdWithServices, Kind::Ngircd}) {
        if (!RealIrcServer::Installed(kind)) continue;
        auto server = std::make_unique<RealIrcServer>(kind, false, RealIrcServer::Families::Ipv4AndIpv6);
        QVERIFY2(server->Ok(), qPrintable(server->Error()));
        (kind == Kind::Ngircd ? ngircd_ : inspircd_) = std::move(server);
    }
}

void TestIpv6Real::cleanupTestCase()
{
    inspircd_.reset();
    ngircd_.reset();
}

void TestIpv6Real::loginOverIpv6_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("box");  // %1: the server's port

    QTest::newRow("inspircd, [::1]:port") << Kind::InspircdWithServices << "[::1]:%1";
    QTest::newRow("inspircd, ::1 on the default port") << Kind::InspircdWithServices << "::1";
    QTest::newRow("ngircd, irc://[::1]:port") << Kind::Ngircd << "irc://[::1]:%1/";
    QTest::newRow("ngircd, [0:0:0:0:0:0:0:1]") << Kind::Ngircd << "[0:0:0:0:0:0:0:1]";
}

void TestIpv6Real::loginOverIpv6()
{
    QFETCH(Kind, kind);
    QFETCH(QString, box);
    RealIrcServer* server = ServerOf(kind);
    if (!server) QSKIP("the server is not installed");

    ShrunkTimings timings(3000, 2000);
    if (kind == Kind::Ngircd) {
        timing().greetingMs = 1000;
        timing().replyMs = 500;
    }
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    timing().defaultPort = server->Port();
    const QString nick = UniqueNick("six");
    LogInThroughServerBox(frame, box.contains("%1") ? box.arg(server->Port()) : box, nick);

    QVERIFY2(prompts.records.isEmpty(), qPrintable(prompts.Texts().join('|')));
    QCOMPARE(frame.CurrentNick(), nick);
    QCOMPARE(frame.Connection().PeerAddress(), std::string("::1"));
    const QString log = Control<TranscriptView>(frame, "serverLog")->toPlainText();
    QVERIFY2(log.contains(QStringLiteral("Connected to ::1 port %1.").arg(server->Port())), qPrintable(log));

    TestIrcClient partner;  // on 127.0.0.1
    const QString partnerNick = UniqueNick("four");
    QVERIFY(partner.Login(server->Port(), partnerNick.toStdString()));
    partner.Send(("privmsg " + nick + " :across the families").toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(PrivateWindowTitled(frame, partnerNick), 10000);
    PrivateWindow* w = PrivateWindowTitled(frame, partnerNick);
    QTRY_VERIFY_WITH_TIMEOUT(w->Transcript().toPlainText().contains("across the families"), 10000);

    Control<QAction>(frame, "connectAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!frame.Connection().Connected(), 10000);
}

QTEST_MAIN(TestIpv6Real)
#include "tst_ipv6_real.moc"
