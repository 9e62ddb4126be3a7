// Which nicks the program refuses to send.
#include "protocol/irc/nick_rules.h"

#include <QtTest>

class TestNickRules : public QObject {
    Q_OBJECT
private slots:
    void judgesNicks_data();
    void judgesNicks();
};

void TestNickRules::judgesNicks_data()
{
    QTest::addColumn<QByteArray>("nick");
    QTest::addColumn<QByteArray>("fault");  // empty: the nick may be sent

    QTest::newRow("plain") << QByteArray("alice") << QByteArray();
    QTest::newRow("digits after the first letter") << QByteArray("Eve42") << QByteArray();
    QTest::newRow("IRC specials") << QByteArray("[bob]_-^{}|\\`") << QByteArray();
    QTest::newRow("letters outside ASCII") << QByteArray("J\xc3\xb6rg") << QByteArray();
    QTest::newRow("hash inside") << QByteArray("a#b") << QByteArray();
    QTest::newRow("colon inside") << QByteArray("a:b") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray("it is empty");
    QTest::newRow("space inside") << QByteArray("al ice") << QByteArray("it holds a space");
    QTest::newRow("space first") << QByteArray(" alice") << QByteArray("it holds a space");
    QTest::newRow("comma") << QByteArray("a,b") << QByteArray("it holds a comma");
    QTest::newRow("bold byte") << QByteArray("\x02" "alice") << QByteArray("it holds a control character");
    QTest::newRow("line break") << QByteArray("a\nb") << QByteArray("it holds a control character");
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << QByteArray("it holds a control character");
    QTest::newRow("DEL") << QByteArray("a\x7f") << QByteArray("it holds a control character");
    QTest::newRow("hash first") << QByteArray("#alice") << QByteArray("it starts with \"#\"");
    QTest::newRow("colon first") << QByteArray(":alice") << QByteArray("it starts with \":\"");
    QTest::newRow("digit first") << QByteArray("9lives") << QByteArray("it starts with a digit");
}

void TestNickRules::judgesNicks()
{
    QFETCH(QByteArray, nick);
    QFETCH(QByteArray, fault);
    QCOMPARE(QByteArray::fromStdString(NickFault(nick.toStdString())), fault);
}

QTEST_APPLESS_MAIN(TestNickRules)
#include "tst_nick_rules.moc"
