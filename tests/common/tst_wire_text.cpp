// Decoding received bytes and encoding typed text.
#include "common/wire_text.h"

#include <QTest>

#include <string>

class TestWireText : public QObject {
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void wordsDecodeAlikeAnywhere_data();
    void wordsDecodeAlikeAnywhere();
    void encodesAsUtf8_data();
    void encodesAsUtf8();
};

namespace {

// Bytes with embedded NULs kept: the length comes from the array, not from strlen.
template <size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

}  // namespace

void TestWireText::decodes_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("expected");

    auto row = [](const char* name, const std::string& wire, const QString& text) {
        QTest::newRow(name) << QByteArray(wire.data(), static_cast<qsizetype>(wire.size())) << text;
    };
    row("empty", "", QString());
    row("plain ASCII", "hello", QStringLiteral("hello"));
    row("valid UTF-8", Bytes("Gr\xc3\xbc\xc3\x9f" "e \xe2\x98\xba"), QStringLiteral(u"Grüße ☺"));
    row("four-byte UTF-8", Bytes("\xf0\x9f\x98\x80"), QStringLiteral(u"😀"));
    row("Latin-1 when not UTF-8", Bytes("Gr\xfc\xdf" "e"), QStringLiteral(u"Grüße"));
    row("UTF-8 and Latin-1 in one line", Bytes("\xc3\xbc \xfc"), QStringLiteral(u"ü ü"));
    row("Latin-1 byte inside a UTF-8 word", Bytes("\xe2\x98\xba\xe9\xe2\x98\xba"), QStringLiteral(u"☺é☺"));
    row("UTF-8 cut off at the end", Bytes("ok \xe2\x98"), QStringLiteral(u"ok â\u0098"));
    row("UTF-8 cut off before ASCII", Bytes("\xe2\x98x \xc3\xa9"), QStringLiteral(u"â\u0098x é"));
    row("lone continuation byte", Bytes("\xa9t\xc3\xa9"), QStringLiteral(u"©té"));
    row("overlong encoding is not UTF-8", Bytes("\xc0\xaf"), QStringLiteral(u"À¯"));
    row("overlong three-byte form is not UTF-8", Bytes("\xe0\x80\xaf\xc3\xa9"), QStringLiteral(u"à\u0080¯é"));
    row("encoded surrogate is not UTF-8", Bytes("\xed\xa0\x80"), QStringLiteral(u"í\u00a0\u0080"));
    row("encoded surrogate beside UTF-8", Bytes("\xed\xa0\x80\xed\x9f\xbf"), QStringLiteral(u"í\u00a0\u0080\ud7ff"));
    row("above U+10FFFF is not UTF-8", Bytes("\xf4\x90\x80\x80\xf4\x8f\xbf\xbf"),
        QStringLiteral(u"ô\u0090\u0080\u0080\U0010FFFF"));
    row("F5 and above never start UTF-8", Bytes("\xf5\x80 \xff"), QStringLiteral(u"õ\u0080 ÿ"));
    row("four-byte UTF-8 beside Latin-1", Bytes("\xe9\xf0\x9f\x98\x80\xe9"), QStringLiteral(u"é😀é"));
    row("name list with one Latin-1 name", Bytes(":irc.test 353 me = #r :J\xf6rg @Ren\xc3\xa9" "e +Zo\xc3\xab"),
        QStringLiteral(u":irc.test 353 me = #r :Jörg @Renée +Zoë"));
    row("formatting bytes and NUL survive", Bytes("\x02" "b\x00" "c\x03" "4\x0f\x16\x1f\x01"),
        QString::fromLatin1("\x02" "b\0c\x03" "4\x0f\x16\x1f\x01", 10));
    row("formatting bytes inside UTF-8", Bytes("\x03" "4\xc3\xbc\x02"), QStringLiteral(u"\u00034ü\u0002"));
    row("byte-order mark is kept", Bytes("\xef\xbb\xbfhi"), QStringLiteral(u"\ufeffhi"));
}

void TestWireText::decodes()
{
    QFETCH(QByteArray, wire);
    QFETCH(QString, expected);
    QCOMPARE(FromWire(std::string(wire.constData(), static_cast<size_t>(wire.size()))), expected);
}

void TestWireText::wordsDecodeAlikeAnywhere_data()
{
    QTest::addColumn<QByteArrayList>("words");
    QTest::newRow("UTF-8 first") << QByteArrayList{"Ren\xc3\xa9" "e", "J\xf6rg", "caf\xc3\xa9"};
    QTest::newRow("Latin-1 first") << QByteArrayList{"J\xf6rg", "Ren\xc3\xa9" "e", "na\xefve"};
    QTest::newRow("parts of one character in two words") << QByteArrayList{"end\xe2", "\x98\xbastart", "\xc3"};
    QTest::newRow("formatting codes") << QByteArrayList{"\x02" "b\xe9", "\x03" "4\xc3\xa9\x0f"};
}

void TestWireText::wordsDecodeAlikeAnywhere()
{
    // A word reads the same alone as in a line with others, whatever their encoding.
    QFETCH(QByteArrayList, words);
    QStringList alone;
    for (const QByteArray& word : words) alone << FromWire(word.toStdString());
    QCOMPARE(FromWire(words.join(' ').toStdString()), alone.join(u' '));
}

void TestWireText::encodesAsUtf8_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("ASCII") << QStringLiteral("hi there") << QByteArray("hi there");
    QTest::newRow("non-ASCII") << QStringLiteral(u"Grüße ☺") << QByteArray("Gr\xc3\xbc\xc3\x9f" "e \xe2\x98\xba");
    QTest::newRow("formatting bytes and NUL") << QString::fromLatin1("\x16\x1f\x02\x03" "04\0x", 8)
                                              << QByteArray("\x16\x1f\x02\x03" "04\0x", 8);
}

void TestWireText::encodesAsUtf8()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, wire);
    const std::string bytes = ToWire(text);
    QCOMPARE(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), wire);
    // What goes out comes back as the same text.
    QCOMPARE(FromWire(bytes), text);
}

QTEST_GUILESS_MAIN(TestWireText)
#include "tst_wire_text.moc"
