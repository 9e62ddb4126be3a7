// The history search window: its controls made into a search, the pages
// newest first and back, the matches marked, and a double-clicked line handed on.
#include "side/history_search_window.h"
#include "support/history_test_lines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>

namespace {

// 2024-03-01 12:00 UTC plus days.
qint64 Day(int days) { return TestTime(days * 24 * 60); }

using Matches = QList<std::pair<int, int>>;

}  // namespace

class TestHistorySearchWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void controlsMakeTheSearch_data();
    void controlsMakeTheSearch();
    void matchesAreMarked_data();
    void matchesAreMarked();
    void doubleClickAsksForTheLinesWindow();
    void missingFileFindsNothing();

private:
    QTemporaryDir dir_;
    QString path_;
};

void TestHistorySearchWindow::initTestCase()
{
    qputenv("TZ", "UTC");
    path_ = dir_.filePath(QStringLiteral("history.sqlite"));
    HistoryStore store(path_);
    QVERIFY(store.Open());
    QList<HistoryLine> lines;
    // 120 deploys in #ops, one a day from day 0, by alice and carol in turn.
    for (int i = 0; i < 120; ++i)
        lines << TestLine("#ops", Day(i), i % 2 ? "carol" : "alice", "deploy number " + QByteArray::number(i));
    lines << TestLine("#fun", Day(3), "bob", "who wants pizza") << TestLine("bob", Day(4), "bob", "a deploy in private")
          << TestLine("", Day(5), "", "server says deploy");
    QCOMPARE(store.Write(lines), HistoryWriteResult::Written);
}

void TestHistorySearchWindow::controlsMakeTheSearch_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("room");  // the room box's entry; empty: all
    QTest::addColumn<QString>("nick");
    QTest::addColumn<int>("fromDay");  // -1: no date
    QTest::addColumn<int>("toDay");
    QTest::addColumn<QList<int>>("pages");  // the size of each page, older and older
    QTest::newRow("a word everywhere, three pages") << "deploy" << "" << "" << -1 << -1 << QList<int>{50, 50, 22};
    QTest::newRow("one room") << "deploy" << "#ops (net)" << "" << -1 << -1 << QList<int>{50, 50, 20};
    QTest::newRow("a conversation") << "" << "bob (net)" << "" << -1 << -1 << QList<int>{1};
    QTest::newRow("the server log") << "deploy" << "server log (net)" << "" << -1 << -1 << QList<int>{1};
    QTest::newRow("a nick, case aside") << "deploy" << "" << "CAROL" << -1 << -1 << QList<int>{50, 10};
    QTest::newRow("a range of days, both ends in") << "deploy" << "#ops (net)" << "" << 10 << 19 << QList<int>{10};
    QTest::newRow("from a day on") << "" << "" << "" << 100 << -1 << QList<int>{20};
    QTest::newRow("nothing found") << "zebra" << "" << "" << -1 << -1 << QList<int>{0};
}

void TestHistorySearchWindow::controlsMakeTheSearch()
{
    QFETCH(QString, words);
    QFETCH(QString, room);
    QFETCH(QString, nick);
    QFETCH(int, fromDay);
    QFETCH(int, toDay);
    QFETCH(QList<int>, pages);
    HistorySearchWindow window(path_);
    window.show();
    window.findChild<QLineEdit*>("wordsEdit")->setText(words);
    auto* roomBox = window.findChild<QComboBox*>("roomBox");
    if (!room.isEmpty()) {
        QVERIFY2(roomBox->findText(room) > 0, qPrintable(room));
        roomBox->setCurrentIndex(roomBox->findText(room));
    }
    window.findChild<QLineEdit*>("nickEdit")->setText(nick);
    const QDate first = QDateTime::fromMSecsSinceEpoch(Day(0), QTimeZone::utc()).date();
    window.findChild<QCheckBox*>("fromCheck")->setChecked(fromDay >= 0);
    window.findChild<QDateEdit*>("fromDate")->setDate(first.addDays(fromDay));
    window.findChild<QCheckBox*>("toCheck")->setChecked(toDay >= 0);
    window.findChild<QDateEdit*>("toDate")->setDate(first.addDays(toDay));
    auto* older = window.findChild<QPushButton*>("olderButton");
    auto* newer = window.findChild<QPushButton*>("newerButton");
    auto* results = window.findChild<QTreeWidget*>("results");

    QTest::mouseClick(window.findChild<QPushButton*>("searchButton"), Qt::LeftButton);
    QList<int> seen{static_cast<int>(window.Hits().size())};
    const qint64 newest = window.Hits().isEmpty() ? 0 : window.Hits().first().line.id;
    qint64 last = std::numeric_limits<qint64>::max();
    for (;;) {
        QCOMPARE(results->topLevelItemCount(), window.Hits().size());
        for (const HistoryHit& hit : window.Hits()) {
            QVERIFY(hit.line.id < last);  // newest first, across the pages
            last = hit.line.id;
        }
        if (!older->isEnabled()) break;
        QTest::mouseClick(older, Qt::LeftButton);
        if (!window.Hits().isEmpty()) seen << static_cast<int>(window.Hits().size());
    }
    QCOMPARE(seen, pages);
    while (newer->isEnabled()) QTest::mouseClick(newer, Qt::LeftButton);
    QCOMPARE(window.Hits().isEmpty() ? 0 : window.Hits().first().line.id, newest);
}

void TestHistorySearchWindow::matchesAreMarked_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Matches>("matches");
    QTest::addColumn<QStringList>("marked");  // the marked pieces, in order
    QTest::newRow("one word") << "the deploy is done" << Matches{{4, 6}} << QStringList{"deploy"};
    QTest::newRow("two, at both ends") << "pizza and pizza" << Matches{{0, 5}, {10, 5}} << QStringList{"pizza", "pizza"};
    QTest::newRow("markup in the text stays text") << "<b>&amp; deploy" << Matches{{9, 6}} << QStringList{"deploy"};
    QTest::newRow("a match past the end is left out") << "short" << Matches{{3, 9}} << QStringList{};
}

void TestHistorySearchWindow::matchesAreMarked()
{
    QFETCH(QString, text);
    QFETCH(Matches, matches);
    QFETCH(QStringList, marked);
    const QString html = MarkedMatches(text, matches);
    QTextDocument document;
    document.setHtml(html);
    QCOMPARE(document.toPlainText(), text);  // nothing lost, nothing taken as markup
    QStringList pieces;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto run = block.begin(); !run.atEnd(); ++run)
            if (run.fragment().charFormat().fontWeight() == QFont::Bold) pieces << run.fragment().text();
    QCOMPARE(pieces, marked);
}

void TestHistorySearchWindow::doubleClickAsksForTheLinesWindow()
{
    HistorySearchWindow window(path_);
    window.show();
    window.findChild<QLineEdit*>("wordsEdit")->setText("deploy");
    window.Search();
    QSignalSpy asked(&window, &HistorySearchWindow::openRequested);
    auto* results = window.findChild<QTreeWidget*>("results");
    QTreeWidgetItem* second = results->topLevelItem(1);
    QVERIFY(second);
    const QRect place = results->visualItemRect(second);
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, place.center());
    QCOMPARE(asked.size(), 1);
    const auto line = asked[0][0].value<HistoryLine>();
    QCOMPARE(line.id, window.Hits()[1].line.id);
    QCOMPARE(line.buffer, window.Hits()[1].line.buffer);
    QCOMPARE(asked[0][1].toString(), window.Hits()[1].plainText);
}

void TestHistorySearchWindow::missingFileFindsNothing()
{
    const QString missing = dir_.filePath(QStringLiteral("none.sqlite"));
    HistorySearchWindow window(missing);
    window.show();
    window.Search();
    QVERIFY(window.Hits().isEmpty());
    QVERIFY(!QFile::exists(missing));  // looking never makes a file
}

QTEST_MAIN(TestHistorySearchWindow)
#include "tst_history_search_window.moc"
