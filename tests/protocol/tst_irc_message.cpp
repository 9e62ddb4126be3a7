// The line decoder: tags, source, command and parameters; the handlers' fields
// of the worked lines, the odd shapes servers and users can produce, and the
// lines that cannot be decoded.
#include "protocol/irc/irc_message.h"

#include <QtTest>

namespace {
QByteArray B(std::string_view s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

QByteArrayList TagsOf(const IrcMessage& m)
{
    QByteArrayList out;
    for (const MessageTag& tag : m.Tags()) out << B(tag.key) + '=' + B(tag.value);
    return out;
}

QByteArrayList ParamsOf(const IrcMessage& m)
{
    QByteArrayList out;
    for (std::size_t i = 0; i < m.ParamCount(); ++i) out << B(m.Param(i));
    return out;
}
}  // namespace

class TestIrcMessage : public QObject {
    Q_OBJECT
private slots:
    void decodesParts_data();
    void decodesParts();
    void undecodableLines_data();
    void undecodableLines();
    void taggedLineReadsAsBareLine_data();
    void taggedLineReadsAsBareLine();
    void tagLookupTakesLastOfAKey();
    void parsesFields_data();
    void parsesFields();
    void hostAndUserhost_data();
    void hostAndUserhost();
    void numericConversion_data();
    void numericConversion();
    void reusedRecordKeepsOtherKindsField();
    void hostileLinesNeverCrash();
};

void TestIrcMessage::decodesParts_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArrayList>("tags");
    QTest::addColumn<QByteArray>("source");  // nick user host, "|" between
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<int>("numeric");
    QTest::addColumn<QByteArrayList>("params");
    const auto row = [](const char* name, const QByteArray& line, const QByteArrayList& tags, const char* source,
                        const char* verb, int numeric, const QByteArrayList& params) {
        QTest::newRow(name) << line << tags << QByteArray(source) << QByteArray(verb) << numeric << params;
    };
    row("full source", ":alice!al@hostA PRIVMSG #room :hi there", {}, "alice|al|hostA", "PRIVMSG", 0,
        {"#room", "hi there"});
    row("server source", ":irc.example.net 353 me = #room :@bob carol", {}, "irc.example.net||", "353", 353,
        {"me", "=", "#room", "@bob carol"});
    row("nick and host", ":bob@hostB JOIN #r", {}, "bob||hostB", "JOIN", 0, {"#r"});
    row("nick and user", ":bob!b JOIN #r", {}, "bob|b|", "JOIN", 0, {"#r"});
    row("second bang and at", ":a!b!c@d@e JOIN :#r", {}, "a|b!c|d@e", "JOIN", 0, {"#r"});
    row("at before bang", ":n@h!x JOIN :#r", {}, "n||h!x", "JOIN", 0, {"#r"});
    row("no source", "PING :srvA", {}, "||", "PING", 0, {"srvA"});
    row("no source, numeric", "001 ann :Welcome", {}, "||", "001", 1, {"ann", "Welcome"});
    row("four digits", ":s 4321 x", {}, "s||", "4321", 4321, {"x"});
    row("case kept", ":a!b@c privmsg #R :Hi", {}, "a|b|c", "privmsg", 0, {"#R", "Hi"});
    row("command alone", ":a!b@c QUIT", {}, "a|b|c", "QUIT", 0, {});
    row("trailing with colons and spaces", ":a!b@c PRIVMSG #r :: see http://x :) ", {}, "a|b|c", "PRIVMSG", 0,
        {"#r", ": see http://x :) "});
    row("empty trailing kept", ":a!b@c TOPIC #r :", {}, "a|b|c", "TOPIC", 0, {"#r", ""});
    row("colon inside a middle parameter", ":a!b@c MODE #r +k a:b", {}, "a|b|c", "MODE", 0, {"#r", "+k", "a:b"});
    row("runs of spaces between parts", ":a!b@c  PRIVMSG   #r   :hi  ", {}, "a|b|c", "PRIVMSG", 0, {"#r", "hi  "});
    row("fourteen middles and a trailing", ":s 005 me A B C D E F G H I J K L M :are supported", {}, "s||", "005", 5,
        {"me", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "are supported"});
    row("the fifteenth parameter takes the rest", ":s 005 me A B C D E F G H I J K L M N O :x y", {}, "s||", "005", 5,
        {"me", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N O :x y"});
    row("tags with escapes",
        R"(@time=2024-05-01T10:00:00.000Z;msg=a\:b\sc\\d\re\nf\x;flag;+example.com/k=v\ :a!b@c PRIVMSG #r :hi)",
        {"time=2024-05-01T10:00:00.000Z", "msg=a;b c\\d\re\nfx", "flag=", "+example.com/k=v"}, "a|b|c", "PRIVMSG", 0,
        {"#r", "hi"});
    row("empty tag items and empty value", "@;a=;;=x;b :s PING :t", {"a=", "b="}, "s||", "PING", 0, {"t"});
    row("tags without source", "@id=1  PING :t", {"id=1"}, "||", "PING", 0, {"t"});
    row("high bytes pass as they are", ":n\xe4!u@h PRIVMSG #r :gr\xfc\xc3\x9f", {}, "n\xe4|u|h", "PRIVMSG", 0,
        {"#r", "gr\xfc\xc3\x9f"});
}

void TestIrcMessage::decodesParts()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, source);
    IrcMessage decoded;
    QVERIFY(decoded.Decode(line.toStdString()));
    // The parts point into the record's own line, so they survive a move.
    const IrcMessage m = std::move(decoded);
    QTEST(TagsOf(m), "tags");
    QCOMPARE(m.HasSource(), !source.startsWith('|'));
    QCOMPARE(B(m.SourceNick()) + '|' + B(m.SourceUser()) + '|' + B(m.SourceHost()), source);
    QTEST(B(m.Verb()), "verb");
    QTEST(m.Numeric(), "numeric");
    QTEST(ParamsOf(m), "params");
}

void TestIrcMessage::undecodableLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blanks only") << QByteArray("   ");
    QTest::newRow("source only") << QByteArray(":irc.example.net");
    QTest::newRow("source and blanks") << QByteArray(":irc.example.net   ");
    QTest::newRow("tags only") << QByteArray("@time=2024-05-01T10:00:00.000Z");
    QTest::newRow("tags and blanks") << QByteArray("@a=b   ");
    QTest::newRow("tags and source only") << QByteArray("@a=b :srv");
    QTest::newRow("digits then letters") << QByteArray(":s 123abc x");
    QTest::newRow("twelve digits") << QByteArray(":s 123456789012 x");
    QTest::newRow("out of range without source") << QByteArray("2147483648 x");
    QTest::newRow("tagged numeric out of range") << QByteArray("@a=b :s 999999999999 x");
    QTest::newRow("blank before the source") << QByteArray(" :srv PRIVMSG #r :x");
    QTest::newRow("NUL byte") << QByteArray(":a!b@c PRIVMSG #r :x") + '\0' + "y";
    QTest::newRow("NUL in the tags") << QByteArray("@a=") + '\0' + " PING :x";
}

void TestIrcMessage::undecodableLines()
{
    QFETCH(QByteArray, line);
    IrcMessage m;
    QVERIFY(!m.Decode(line.toStdString()));
    QCOMPARE(B(m.rawline), line);  // whole, for the server log
}

void TestIrcMessage::taggedLineReadsAsBareLine_data()
{
    QTest::addColumn<QByteArray>("tags");
    QTest::addColumn<QByteArray>("bare");
    QTest::newRow("message") << QByteArray("@time=2024-05-01T10:00:00.000Z") << QByteArray(":alice!al@hostA PRIVMSG #room :hi there");
    QTest::newRow("numeric") << QByteArray("@msgid=abc;+draft/reply=x") << QByteArray(":srvA 353 me = #room :@bob carol");
    QTest::newRow("no source") << QByteArray("@a") << QByteArray("NOTICE AUTH :*** Looking up your hostname");
    QTest::newRow("escaped space in a value") << QByteArray("@k=a\\sb") << QByteArray(":bob!b@hostB JOIN :#room");
    QTest::newRow("two spaces after the tags") << QByteArray("@k=v ") << QByteArray(":s NICK");
}

void TestIrcMessage::taggedLineReadsAsBareLine()
{
    QFETCH(QByteArray, tags);
    QFETCH(QByteArray, bare);
    IrcMessage plain;
    plain.ParseLine(bare.toStdString());
    IrcMessage tagged;
    QVERIFY(tagged.Decode((tags + ' ' + bare).toStdString()));
    QVERIFY(!tagged.Tags().empty());
    QCOMPARE(B(tagged.rawline), bare);
    QCOMPARE(B(tagged.prefixtoken), B(plain.prefixtoken));
    QCOMPARE(B(tagged.nick), B(plain.nick));
    QCOMPARE(B(tagged.userhost), B(plain.userhost));
    QCOMPARE(B(tagged.host), B(plain.host));
    QCOMPARE(B(tagged.kind), B(plain.kind));
    QCOMPARE(tagged.code, plain.code);
    QCOMPARE(B(tagged.command), B(plain.command));
    QCOMPARE(B(tagged.params), B(plain.params));
    QCOMPARE(B(tagged.firstparam), B(plain.firstparam));
}

void TestIrcMessage::tagLookupTakesLastOfAKey()
{
    IrcMessage m;
    QVERIFY(m.Decode("@a=1;b=2;a=3 :s PING :x"));
    QVERIFY(m.Tag("a"));
    QCOMPARE(*m.Tag("a"), std::string("3"));
    QCOMPARE(*m.Tag("b"), std::string("2"));
    QVERIFY(!m.Tag("c"));
}

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
        IrcMessage decoded;
        if (decoded.Decode(line)) {
            QVERIFY(!decoded.Verb().empty());
            QVERIFY(decoded.ParamCount() <= IrcMessage::kMaxParams);
            QVERIFY(decoded.LastParam().data() + decoded.LastParam().size() <= decoded.rawline.data() + decoded.rawline.size());
        } else {
            QCOMPARE(decoded.rawline, line);
        }
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
