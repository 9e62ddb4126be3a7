// The ignore list in memory: which nicks it ignores, and its hashed counts
// staying true to its entries through appends, removals and a reset.
#include "common/ignore_entries.h"

#include <QtTest>

class TestIgnoreEntries : public QObject {
    Q_OBJECT

private slots:
    void isIgnored_data();
    void isIgnored();
    void repeatedEntriesGoOneByOne();
    void removeEvery_data();
    void removeEvery();
};

void TestIgnoreEntries::isIgnored_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("nick");
    QTest::addColumn<bool>("ignored");

    const QStringList three{"carol", "bob", "dave"};
    QTest::newRow("first") << three << "carol" << true;
    QTest::newRow("middle") << three << "bob" << true;
    QTest::newRow("last") << three << "dave" << true;
    QTest::newRow("absent") << three << "erin" << false;
    QTest::newRow("other letter case") << three << "Bob" << false;
    QTest::newRow("prefix of an entry") << three << "bo" << false;
    QTest::newRow("operator entry ignores the nick") << QStringList{"@bob"} << "bob" << true;
    QTest::newRow("operator entry in other case") << QStringList{"@Bob"} << "bob" << false;
    QTest::newRow("plain entry, nick with @") << QStringList{"bob"} << "@bob" << false;
    QTest::newRow("empty list") << QStringList{} << "bob" << false;
    QTest::newRow("non-ASCII") << QStringList{QStringLiteral("Jürgen")} << QStringLiteral("Jürgen") << true;
}

void TestIgnoreEntries::isIgnored()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, nick);
    QFETCH(bool, ignored);
    QCOMPARE(IgnoreEntries(entries).IsIgnored(nick), ignored);
    IgnoreEntries appended;
    for (const QString& e : entries) appended.Append(e);
    QCOMPARE(appended.IsIgnored(nick), ignored);
}

void TestIgnoreEntries::repeatedEntriesGoOneByOne()
{
    IgnoreEntries list;
    list.Append("bob");
    list.Append("amy");
    list.Append("bob");
    QVERIFY(list.RemoveOne("bob"));
    QCOMPARE(list.Entries(), (QStringList{"amy", "bob"}));
    QVERIFY(list.IsIgnored("bob"));  // one "bob" is still there
    QVERIFY(list.RemoveOne("bob"));
    QVERIFY(!list.IsIgnored("bob"));
    QVERIFY(!list.Contains("bob"));
    QVERIFY(!list.RemoveOne("bob"));
    QCOMPARE(list.Entries(), QStringList{"amy"});
    list.Reset({"dave"});
    QVERIFY(!list.IsIgnored("amy"));
    QVERIFY(list.IsIgnored("dave"));
}

void TestIgnoreEntries::removeEvery_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("stillIgnored");  // of bob, Bob, amy
    QTest::newRow("ignored twice") << QStringList{"bob", "amy", "bob"} << "bob" << QStringList{"amy"}
                                   << QStringList{"amy"};
    QTest::newRow("every letter case") << QStringList{"Bob", "bob", "BOB", "amy"} << "bob" << QStringList{"amy"}
                                       << QStringList{"amy"};
    QTest::newRow("the @ form is another entry") << QStringList{"@bob", "bob"} << "bob" << QStringList{"@bob"}
                                                 << QStringList{"bob"};
    QTest::newRow("absent") << QStringList{"amy"} << "bob" << QStringList{"amy"} << QStringList{"amy"};
    QTest::newRow("a prefix is not equal") << QStringList{"bobby"} << "bob" << QStringList{"bobby"} << QStringList();
}

void TestIgnoreEntries::removeEvery()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, removed);
    QFETCH(QStringList, left);
    IgnoreEntries list(entries);
    QCOMPARE(list.RemoveEvery(removed), int(entries.size() - left.size()));
    QCOMPARE(list.Entries(), left);
    QStringList ignored;
    for (const char* nick : {"bob", "Bob", "amy"})
        if (list.IsIgnored(QString::fromLatin1(nick))) ignored << QString::fromLatin1(nick);
    QTEST(ignored, "stillIgnored");
}

QTEST_GUILESS_MAIN(TestIgnoreEntries)
#include "tst_ignore_entries.moc"
