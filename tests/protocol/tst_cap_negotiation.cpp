// The capability talk before registering: what goes out for each thing the
// server says (or does not say), how it ends, and what the log may show.
#include "protocol/irc/cap_negotiation.h"
#include "protocol/irc/sent_lines.h"

#include <QtTest>

Q_DECLARE_METATYPE(CapNegotiation::Outcome)

namespace {

using Outcome = CapNegotiation::Outcome;

const char kNick[] = "alice";
const char kPassword[] = "s3cret pass";

// The credential lines as the server should get them.
QByteArrayList Credentials()
{
    QByteArrayList out;
    for (const std::string& line : sent::AuthenticateCredentialLines(kNick, kPassword))
        out << QByteArray::fromStdString(line);
    return out;
}

// Lines the server sends to reach the credentials.
QByteArrayList ToCredentials()
{
    return {"CAP * LS :multi-prefix sasl", ":irc.test CAP * ACK :sasl", "AUTHENTICATE +"};
}

QByteArrayList SentToCredentials()
{
    return QByteArrayList{"CAP LS 302", "CAP REQ :sasl", "AUTHENTICATE PLAIN"} + Credentials();
}

}  // namespace

class TestCapNegotiation : public QObject {
    Q_OBJECT
private slots:
    void talk_data();
    void talk();
    void lineWords_data();
    void lineWords();
};

void TestCapNegotiation::talk_data()
{
    // Each received entry is a server line; an empty one is a silence.
    QTest::addColumn<QByteArrayList>("received");
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("logged");  // a line the log must hold; empty for none to check

    const QByteArray end = "CAP END";
    QTest::newRow("mechanisms named, PLAIN among them, list over two lines, tags and prefix")
        << QByteArrayList{"@time=1 :irc.test CAP * LS * :multi-prefix away-notify",
                          ":irc.test CAP * LS :sasl=EXTERNAL,plain", ":irc.test CAP alice ACK :sasl ",
                          ":irc.test AUTHENTICATE +", ":irc.test 903 alice :ok"}
        << SentToCredentials() + QByteArrayList{end} << Outcome::LoggedIn << "";
    QTest::newRow("already logged in") << ToCredentials() + QByteArrayList{":irc.test 907 alice :already"}
                                       << SentToCredentials() + QByteArrayList{end} << Outcome::LoggedIn << "";
    QTest::newRow("keep-alive answered on the way")
        << QByteArrayList{"PING :tok1", "CAP * LS :sasl"} << QByteArrayList{"CAP LS 302", "PONG :tok1", "CAP REQ :sasl"}
        << Outcome::Pending << "";
    QTest::newRow("credentials too long") << ToCredentials() + QByteArrayList{":irc.test 905 alice :too long"}
                                          << SentToCredentials() + QByteArrayList{end} << Outcome::Refused << "";
    QTest::newRow("aborted") << ToCredentials() + QByteArrayList{":irc.test 906 alice :aborted"}
                             << SentToCredentials() + QByteArrayList{end} << Outcome::Refused << "";
    QTest::newRow("mechanism refused before the credentials")
        << QByteArrayList{"CAP * LS :sasl", "CAP * ACK :sasl", ":irc.test 904 alice :failed"}
        << QByteArrayList{"CAP LS 302", "CAP REQ :sasl", "AUTHENTICATE PLAIN", end} << Outcome::NickServ << "";
    QTest::newRow("sasl without PLAIN is not asked for")
        << QByteArrayList{"CAP * LS :sasl=EXTERNAL,SCRAM-SHA-256 multi-prefix"} << QByteArrayList{"CAP LS 302", end}
        << Outcome::NickServ << "";
    QTest::newRow("a word that only begins with sasl")
        << QByteArrayList{"CAP * LS :saslish"} << QByteArrayList{"CAP LS 302", end} << Outcome::NickServ << "";
    QTest::newRow("request refused") << QByteArrayList{"CAP * LS :sasl", "CAP * NAK :sasl"}
                                     << QByteArrayList{"CAP LS 302", "CAP REQ :sasl", end} << Outcome::NickServ << "";
    QTest::newRow("not registered") << QByteArrayList{":irc.test 451 * :You have not registered"}
                                    << QByteArrayList{"CAP LS 302"} << Outcome::NoCap << "";
    QTest::newRow("other lines, then silence")
        << QByteArrayList{":irc.test NOTICE * :*** Looking up your hostname", ""} << QByteArrayList{"CAP LS 302"}
        << Outcome::NoCap << ":irc.test NOTICE * :*** Looking up your hostname";
    QTest::newRow("list of too many bytes")
        << QByteArrayList{"CAP * LS * :" + QByteArray(int(CapNegotiation::kMaxListBytes) / 2, 'x'),
                          "CAP * LS * :" + QByteArray(int(CapNegotiation::kMaxListBytes) / 2, 'y')}
        << QByteArrayList{"CAP LS 302", end} << Outcome::NickServ << "";
    QTest::newRow("endless other lines") << QByteArrayList(int(CapNegotiation::kMaxLines) + 1, ":irc.test NOTICE * :x")
                                         << QByteArrayList{"CAP LS 302", end} << Outcome::NickServ << "";
    QTest::newRow("silence after the request")
        << QByteArrayList{"CAP * LS :sasl", ""} << QByteArrayList{"CAP LS 302", "CAP REQ :sasl", end}
        << Outcome::NickServ << "The server did not finish the SASL login: identifying with NickServ instead.";
    QTest::newRow("silence after the credentials")
        << ToCredentials() + QByteArrayList{""} << SentToCredentials() + QByteArrayList{"AUTHENTICATE *", end}
        << Outcome::NickServ << "";
    QTest::newRow("lines after the end are not answered")
        << QByteArrayList{"CAP * LS :multi-prefix", "CAP * LS :sasl", "PING :x"} << QByteArrayList{"CAP LS 302", end}
        << Outcome::NickServ << "";
}

void TestCapNegotiation::talk()
{
    QFETCH(QByteArrayList, received);
    QFETCH(QByteArrayList, sent);
    QFETCH(Outcome, outcome);
    QFETCH(QString, logged);

    CapNegotiation talk(kNick, kPassword);
    QByteArrayList out;
    QStringList log;
    const auto take = [&](const CapNegotiation::Step& step) {
        for (const std::string& line : step.send) out << QByteArray::fromStdString(line);
        for (const std::string& line : step.log) log << QString::fromStdString(line);
    };
    take(talk.Start());
    for (const QByteArray& line : received) take(line.isEmpty() ? talk.Silence() : talk.Receive(line.toStdString()));

    QCOMPARE(out, sent);
    QCOMPARE(talk.Result(), outcome);
    QCOMPARE(talk.Done(), outcome != Outcome::Pending);
    if (!logged.isEmpty()) QVERIFY2(log.contains(logged), qPrintable(log.join(u'|')));
    // The password never reaches the log, neither plain nor encoded.
    const QString all = log.join(u'\n');
    QVERIFY(!all.contains(QLatin1String(kPassword)));
    for (const QByteArray& line : Credentials()) QVERIFY(!all.contains(QString::fromLatin1(line.mid(13))));
}

void TestCapNegotiation::lineWords_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArrayList>("words");
    QTest::newRow("empty trailing") << QByteArray(":srv CAP * LS :") << QByteArrayList{"CAP", "*", "LS", ""};
    QTest::newRow("colon inside a word") << QByteArray("CAP a:b :c") << QByteArrayList{"CAP", "a:b", "c"};
    QTest::newRow("runs of spaces") << QByteArray(":srv  CAP   *  ACK") << QByteArrayList{"CAP", "*", "ACK"};
    QTest::newRow("prefix alone") << QByteArray(":srv") << QByteArrayList{};
}

void TestCapNegotiation::lineWords()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArrayList, words);
    QByteArrayList got;
    for (const std::string& w : LineWords(line.toStdString())) got << QByteArray::fromStdString(w);
    QCOMPARE(got, words);
}

QTEST_MAIN(TestCapNegotiation)
#include "tst_cap_negotiation.moc"
