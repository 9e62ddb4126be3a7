// Links and own-nick mentions found in chat text as received.
#include "common/link_spans.h"

#include <QElapsedTimer>
#include <QtTest>

Q_DECLARE_METATYPE(QList<LinkSpan>)

namespace {

QString Bytes(const char* text) { return QString::fromLatin1(text); }

// The links as "shown text|target", the shown text read off the span.
QStringList Described(const QString& text, const QList<LinkSpan>& links)
{
    QStringList out;
    for (const LinkSpan& link : links) out << text.mid(link.start, link.end - link.start) + u'|' + link.target;
    return out;
}

}  // namespace

class TestLinkSpans : public QObject {
    Q_OBJECT

private slots:
    void links_data();
    void links();
    void longRunsAfterALink_data();
    void longRunsAfterALink();
    void shownTargets_data();
    void shownTargets();
    void mentions_data();
    void mentions();
};

void TestLinkSpans::links_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("links");  // "span as received|target"

    QTest::newRow("at the line end") << "see http://example.org/a?b=c"
                                     << QStringList{"http://example.org/a?b=c|http://example.org/a?b=c"};
    QTest::newRow("https at the start") << "https://x.io/ is up" << QStringList{"https://x.io/|https://x.io/"};
    QTest::newRow("upper case scheme") << "HTTP://X.IO" << QStringList{"HTTP://X.IO|HTTP://X.IO"};
    QTest::newRow("www") << "go to www.example.org." << QStringList{"www.example.org|http://www.example.org"};
    QTest::newRow("sentence end") << "read http://a.b/c, then http://d.e!"
                                  << QStringList{"http://a.b/c|http://a.b/c", "http://d.e|http://d.e"};
    QTest::newRow("in brackets") << "(see http://a.b/c)" << QStringList{"http://a.b/c|http://a.b/c"};
    QTest::newRow("brackets inside") << "http://en.wiki/Foo_(bar)"
                                     << QStringList{"http://en.wiki/Foo_(bar)|http://en.wiki/Foo_(bar)"};
    QTest::newRow("brackets around one with brackets") << "(http://w/F_(b))"
                                                       << QStringList{"http://w/F_(b)|http://w/F_(b)"};
    QTest::newRow("angle brackets") << "<http://a.b/c>" << QStringList{"http://a.b/c|http://a.b/c"};
    QTest::newRow("quoted") << "\"http://a.b\"" << QStringList{"http://a.b|http://a.b"};
    QTest::newRow("bold around") << Bytes("\x02http://a.b\x02 x") << QStringList{"http://a.b|http://a.b"};
    QTest::newRow("bold inside") << Bytes("http://exa\x02mple.org\x02")
                                 << QStringList{Bytes("http://exa\x02mple.org|http://example.org")};
    QTest::newRow("colour inside") << Bytes("http://a.b/\x03" "4,12red")
                                   << QStringList{Bytes("http://a.b/\x03" "4,12red|http://a.b/red")};
    QTest::newRow("colour before") << Bytes("\x03" "4http://a.b") << QStringList{"http://a.b|http://a.b"};
    QTest::newRow("other control ends it") << Bytes("http://a.b\x07rest") << QStringList{"http://a.b|http://a.b"};
    QTest::newRow("room") << "come to #rust, now" << QStringList{"#rust|#rust"};
    QTest::newRow("room at sentence end") << "see #Germany." << QStringList{"#Germany|#Germany"};
    QTest::newRow("two rooms") << "#a-b and #c_d" << QStringList{"#a-b|#a-b", "#c_d|#c_d"};
    QTest::newRow("room and address") << "#rust: https://rust-lang.org"
                                      << QStringList{"#rust|#rust", "https://rust-lang.org|https://rust-lang.org"};
    QTest::newRow("scheme alone") << "http:// is a scheme" << QStringList{};
    QTest::newRow("www alone") << "www. nothing" << QStringList{};
    QTest::newRow("ftp is not a link") << "ftp://a.b" << QStringList{};
    QTest::newRow("javascript is not a link") << "javascript:alert(1)" << QStringList{};
    QTest::newRow("inside a word") << "xhttp://a.b and awww.b.c" << QStringList{};
    QTest::newRow("number") << "we are #1 and #2!" << QStringList{};
    QTest::newRow("hash inside word") << "C#sharp issue#12" << QStringList{};
    QTest::newRow("email is not www") << "me@www.x.org" << QStringList{};
    QTest::newRow("plain text") << "hello world, how are you?" << QStringList{};
}

void TestLinkSpans::links()
{
    QFETCH(QString, text);
    QFETCH(QStringList, links);
    QCOMPARE(Described(text, FindLinks(text)), links);
}

void TestLinkSpans::shownTargets_data()
{
    // The text as received; where its link is shown to lead (tooltip, status bar).
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain address") << "see https://example.org/a?b=c#d" << "https://example.org/a?b=c#d";
    QTest::newRow("look-alike letters") << QString::fromUtf8("https://аррӏе.com/") << "https://xn--80ak6aa92e.com/";
    QTest::newRow("accented host and path") << QString::fromUtf8("www.bücher.de/é")
                                            << "http://www.xn--bcher-kva.de/%C3%A9";
    QTest::newRow("direction control inside") << QString::fromUtf8("https://apple.com/\u202Egnp.exe")
                                              << "https://apple.com/%E2%80%AEgnp.exe";
    QTest::newRow("formatting inside is no part of it") << Bytes("http://a.b/\x02x\x02y") << "http://a.b/xy";
    QTest::newRow("room") << "join #linux now" << "#linux";
}

void TestLinkSpans::shownTargets()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    const QList<LinkSpan> links = FindLinks(text);
    QCOMPARE(links.size(), 1);
    QCOMPARE(ShownLinkTarget(links.first().target), shown);
}

void TestLinkSpans::longRunsAfterALink_data()
{
    // A server may send a line of nothing but brackets after an address:
    // finding the link takes time in proportion to the line, not its square.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("links");

    const qsizetype run = 100000;
    QTest::newRow("closing round brackets") << "http://a/" + QString(run, u')') << QStringList{"http://a/|http://a/"};
    QTest::newRow("closing square brackets") << "http://a/" + QString(run, u']') << QStringList{"http://a/|http://a/"};
    QTest::newRow("brackets and full stops") << "http://a/" + QString(run, u')') + QString(run, u'.')
                                             << QStringList{"http://a/|http://a/"};
    QTest::newRow("one opening bracket keeps one closing")
        << "http://a/(" + QString(run, u')') << QStringList{"http://a/()|http://a/()"};
    QTest::newRow("a room before the run") << "#talk" + QString(run, u')') << QStringList{"#talk|#talk"};
}

void TestLinkSpans::longRunsAfterALink()
{
    QFETCH(QString, text);
    QFETCH(QStringList, links);
    QElapsedTimer clock;
    clock.start();
    for (int line = 0; line < 10; ++line) QCOMPARE(Described(text, FindLinks(text)), links);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed()) + " ms for ten lines"));
}

void TestLinkSpans::mentions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("nick");
    QTest::addColumn<bool>("named");
    QTest::newRow("alone") << "Ann" << "Ann" << true;
    QTest::newRow("other case") << "hey ann, look" << "Ann" << true;
    QTest::newRow("addressed") << "ANN: hi" << "Ann" << true;
    QTest::newRow("in bold") << Bytes("\x02" "ann\x02") << "Ann" << true;
    QTest::newRow("later in the line") << "annie and ann" << "Ann" << true;
    QTest::newRow("part of a word") << "annie planned" << "Ann" << false;
    QTest::newRow("nick characters around") << "ann_ [ann] ann|x" << "Ann" << false;
    QTest::newRow("nick with brackets") << "hi [Ann]!" << "[Ann]" << true;
    QTest::newRow("empty nick") << "anything" << "" << false;
}

void TestLinkSpans::mentions()
{
    QFETCH(QString, text);
    QFETCH(QString, nick);
    QFETCH(bool, named);
    QCOMPARE(NamesNick(text, nick), named);
}

QTEST_MAIN(TestLinkSpans)
#include "tst_link_spans.moc"
