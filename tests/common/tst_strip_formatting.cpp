// Chat text made plain for the logs, and kept from turning the text around it.
#include "common/shown_text.h"
#include "common/strip_formatting.h"

#include <QtTest>

class TestStripFormatting : public QObject {
    Q_OBJECT
private slots:
    void strips_data();
    void strips();
    void bidiContained_data();
    void bidiContained();
};

void TestStripFormatting::strips_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");

    QTest::newRow("nothing to strip") << QStringLiteral(u"plain Grüße ☺") << QStringLiteral(u"plain Grüße ☺");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("NickServ's bold") << QStringLiteral(u"Type \u0002/msg NickServ HELP\u0002 for help")
                                     << QStringLiteral(u"Type /msg NickServ HELP for help");
    QTest::newRow("every style byte") << QStringLiteral(u"\u0002a\u001db\u001fc\u001ed\u0016e\u0011f\u000fg")
                                      << QStringLiteral(u"abcdefg");
    QTest::newRow("colour with one digit") << QStringLiteral(u"\u00034red") << QStringLiteral(u"red");
    QTest::newRow("colour with two digits keeps the third") << QStringLiteral(u"\u0003045 apples")
                                                            << QStringLiteral(u"5 apples");
    QTest::newRow("colour with background") << QStringLiteral(u"\u00034,12on blue") << QStringLiteral(u"on blue");
    QTest::newRow("two-digit background keeps the third") << QStringLiteral(u"\u00031,023x")
                                                          << QStringLiteral(u"3x");
    QTest::newRow("comma without digit is text") << QStringLiteral(u"\u00034,red") << QStringLiteral(u",red");
    QTest::newRow("bare colour code") << QStringLiteral(u"a\u0003,5b") << QStringLiteral(u"a,5b");
    QTest::newRow("code at the very end") << QStringLiteral(u"end\u00031") << QStringLiteral(u"end");
    QTest::newRow("other control characters stay") << QStringLiteral(u"\u0001ACTION waves\u0001\tx")
                                                   << QStringLiteral(u"\u0001ACTION waves\u0001\tx");
    QTest::newRow("several lines") << QStringLiteral(u"\u0002one\u0002\n\u00033two") << QStringLiteral(u"one\ntwo");
}

void TestStripFormatting::strips()
{
    QFETCH(QString, text);
    QFETCH(QString, plain);
    QCOMPARE(StripFormatting(text), plain);
}

void TestStripFormatting::bidiContained_data()
{
    // < and > stand for the isolate around the field (U+2068, U+2069).
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no control") << QStringLiteral(u"plain \u05e9\u05dc") << QStringLiteral(u"plain \u05e9\u05dc");
    QTest::newRow("open override") << QStringLiteral(u"\u202eevil") << QStringLiteral(u"<\u202eevil>");
    QTest::newRow("closed embedding") << QStringLiteral(u"a\u202bb\u202c") << QStringLiteral(u"<a\u202bb\u202c>");
    QTest::newRow("mark") << QStringLiteral(u"\u200fx") << QStringLiteral(u"<\u200fx>");
    QTest::newRow("closers alone go") << QStringLiteral(u"a\u202cb\u2069c") << QStringLiteral(u"abc");
    QTest::newRow("a PDF closes nothing across an isolate")
        << QStringLiteral(u"\u2067a\u202cb") << QStringLiteral(u"<\u2067ab>");
    QTest::newRow("a PDI closes the embeddings inside its isolate")
        << QStringLiteral(u"\u2066\u202ea\u2069\u202cb\u2069") << QStringLiteral(u"<\u2066\u202ea\u2069b>");
}

void TestStripFormatting::bidiContained()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    shown.replace(u'<', QChar(0x2068)).replace(u'>', QChar(0x2069));
    QCOMPARE(BidiContained(text), shown);
    QCOMPARE(ShownText(text), shown);
}

QTEST_APPLESS_MAIN(TestStripFormatting)
#include "tst_strip_formatting.moc"
