// The line parser: every field of the worked lines, the odd shapes servers and
// users can produce, and the one conversion failure.
#include "protocol/irc/irc_message.h"

#include <QtTest>

namespace {
QByteArray B(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

class TestIrcMessage : public QObject {
    Q_OBJECT
private slots:
    void parsesFields_data();
    void parsesFields();
    void hostAndUserhost_data();
    void hostAndUserhost();
    void numericConversion_data();
    void numericConversion();
    void reusedRecordKeepsOtherKindsField();
    void hostileLinesNeverCrash();
};

void TestIrcMessage::parsesFields_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("prefixtoken");
    QTest::addColumn<QByteArray>("nick");
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<QByteArray>("firstparam");

    QTest::newRow("privmsg with prefix") << QByteArray(":alice!al@hostA PRIVMSG #room :hi there")
        << QByteArray(":alice!al@hostA ") << QByteArray("alice") << QByteArray("command") << 0
        << QByteArray("PRIVMSG") << QByteArray("#room :hi there ") << QByteArray("#room ");
    QTest::newRow("names reply from a server") << QByteArray(":srvA 353 me = #room :@bob carol")
        << QByteArray(":srvA ") << QByteArray(":srvA ") << QByteArray("code") << 353
        << QByteArray("") << QByteArray("me = #room :@bob carol ") << QByteArray("me ");
    QTest::newRow("ping without prefix") << QByteArray("PING :srvA")
        << QByteArray("PING ") << QByteArray("PING ") << QByteArray("command") << 0
        << QByteArray("") << QByteArray(":srvA ") << QByteArray(":srvA ");
    QTest::newRow("join with colon") << QByteArray(":bob!b@hostB JOIN :#room")
        << QByteArray(":bob!b@hostB ") << QByteArray("bob") << QByteArray("command") << 0
        << QByteArray("JOIN") << QByteArray(":#room ") << QByteArray(":#room ");
    QTest::newRow("no space at all") << QByteArray("QUIT")
        << QByteArray("") << QByteArray("") << QByteArray("command") << 0
        << QByteArray("") << QByteArray("QUIT ") << QByteArray("QUIT ");
    QTest::newRow("notice auth without prefix") << QByteArray("NOTICE AUTH :*** Looking up your hostname")
        << QByteArray("NOTICE ") << QByteArray("NOTICE ") << QByteArray("command") << 0
        << QByteArray("AUTH") << QByteArray(":*** Looking up your hostname ") << QByteArray(":*** ");
    QTest::newRow("numeric 001") << QByteArray(":irc.test 001 alice :Welcome")
        << QByteArray(":irc.test ") << QByteArray(":irc.test ") << QByteArray("code") << 1
        << QByteArray("") << QByteArray("alice :Welcome ") << QByteArray("alice ");
    QTest::newRow("four digit numeric") << QByteArray(":s 4321 x")
        << QByteArray(":s ") << QByteArray(":s ") << QByteArray("code") << 4321
        << QByteArray("") << QByteArray("x ") << QByteArray("x ");
    QTest::newRow("two digits are a command") << QByteArray(":s 42 more text")
        << QByteArray(":s ") << QByteArray(":s ") << QByteArray("command") << 0
        << QByteArray("42") << QByteArray("more text ") << QByteArray("more ");
    QTest::newRow("nothing after the command") << QByteArray(":s NICK")
        << QByteArray(":s ") << QByteArray(":s ") << QByteArray("command") << 0
        << QByteArray("") << QByteArray("NICK ") << QByteArray("NICK ");
    QTest::newRow("trailing space after the command") << QByteArray(":s NICK ")
        << QByteArray(":s ") << QByteArray(":s ") << QByteArray("command") << 0
        << QByteArray("NICK") << QByteArray(" ") << QByteArray(" ");
    QTest::newRow("case kept") << QByteArray(":a!b@c privmsg #R :Hi")
        << QByteArray(":a!b@c ") << QByteArray("a") << QByteArray("command") << 0
        << QByteArray("privmsg") << QByteArray("#R :Hi ") << QByteArray("#R ");
    QTest::newRow("bang right after colon") << QByteArray(":!x@h PRIVMSG me :t")
        << QByteArray(":!x@h ") << QByteArray("") << QByteArray("command") << 0
        << QByteArray("PRIVMSG") << QByteArray("me :t ") << QByteArray("me ");
}

void TestIrcMessage::parsesFields()
{
    QFETCH(QByteArray, line);
    IrcMessage m;
    m.ParseLine(line.toStdString());
    QCOMPARE(B(m.rawline), line);
    QTEST(B(m.prefixtoken), "prefixtoken");
    QTEST(B(m.nick), "nick");
    QTEST(B(m.kind), "kind");
    QTEST(m.code, "code");
    QTEST(B(m.command), "command");
    QTEST(B(m.params), "params");
    QTEST(B(m.firstparam), "firstparam");
}

void TestIrcMessage::hostAndUserhost_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("userhost");
    QTest::addColumn<QByteArray>("host");
    QTest::newRow("full prefix") << QByteArray(":alice!al@hostA PRIVMSG #room :hi") << QByteArray("al@hostA ") << QByteArray("hostA ");
    QTest::newRow("server prefix") << QByteArray(":srvA 353 me = #room :@bob") << QByteArray("") << QByteArray(":srvA ");
    QTest::newRow("second bang and at") << QByteArray(":a!b!c@d@e JOIN :#r") << QByteArray("b!c@d@e ") << QByteArray("d@e ");
    QTest::newRow("no space") << QByteArray("a!b@c") << QByteArray("") << QByteArray("");
}

void TestIrcMessage::hostAndUserhost()
{
    QFETCH(QByteArray, line);
    IrcMessage m;
    m.ParseLine(line.toStdString());
    QTEST(B(m.userhost), "userhost");
    QTEST(B(m.host), "host");
}

void TestIrcMessage::numericConversion_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("fails");
    QTest::newRow("digits then letters") << QByteArray(":s 123abc x") << true;
    QTest::newRow("twelve digits") << QByteArray(":s 123456789012 x") << true;
    QTest::newRow("largest int") << QByteArray(":s 2147483647 x") << false;
    QTest::newRow("one past largest int") << QByteArray(":s 2147483648 x") << true;
    QTest::newRow("digits then trimmed control byte") << QByteArray(":s 001\x01 x") << false;
    QTest::newRow("long token, three digits then text") << (QByteArray(":s 999") + QByteArray(20000, 'z')) << false;
}

void TestIrcMessage::numericConversion()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, fails);
    IrcMessage m;
    bool threw = false;
    try {
        m.ParseLine(line.toStdString());
    } catch (const ConversionError&) {
        threw = true;
    }
    QCOMPARE(threw, fails);
}

void TestIrcMessage::reusedRecordKeepsOtherKindsField()
{
    // The registration dialog reads every reply into one record: a command line
    // leaves the last numeric in place and a numeric leaves the last command.
    IrcMessage m;
    m.ParseLine(":s 376 me :End of MOTD");
    m.ParseLine(":NickServ!n@s NOTICE me :hello");
    QCOMPARE(m.code, 376);
    QCOMPARE(m.command, std::string("NOTICE"));
    m.ParseLine(":s 440 me :Service not available");
    QCOMPARE(m.command, std::string("NOTICE"));
    QCOMPARE(m.kind, std::string("code"));
    m.ParseLine("");
    QCOMPARE(m.code, 440);
    QCOMPARE(m.command, std::string(""));
}

void TestIrcMessage::hostileLinesNeverCrash()
{
    std::mt19937 rng(12345);
    const std::string alphabet = std::string(" :!@#0123456789abcPINGping\x01\x02\x03\r\t", 32) + std::string(1, '\0') + "\xff\xfe";
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        const int len = static_cast<int>(rng() % 64);
        for (int k = 0; k < len; ++k) line += alphabet[rng() % alphabet.size()];
        IrcMessage m;
        try {
            m.ParseLine(line);
        } catch (const ConversionError&) {
            continue;
        }
        QVERIFY(!m.params.empty());
        QCOMPARE(m.params.back(), ' ');
        QVERIFY(m.kind == "code" || m.kind == "command");
    }
    for (const std::size_t size : {16383u, 16384u, 16385u, 200000u}) {
        IrcMessage m;
        m.ParseLine(":x!y@z PRIVMSG #r :" + std::string(size, 'a'));
        QCOMPARE(m.command, std::string("PRIVMSG"));
    }
}

QTEST_APPLESS_MAIN(TestIrcMessage)
#include "tst_irc_message.moc"
