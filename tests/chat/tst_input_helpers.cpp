// The input line's own helpers: Tab completion of nicks and commands, and the
// history of sent lines walked with Up and Down.
#include "chat/input_history.h"
#include "chat/input_bar.h"
#include "chat/nick_completion.h"
#include "chat/typed_commands.h"
#include "support/window_controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

class TestInputHelpers : public QObject {
    Q_OBJECT

private slots:
    void completion_data();
    void completion();
    void history_data();
    void history();
    void keysInTheInputLine();
};

void TestInputHelpers::completion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");  // -1: at the end
    QTest::addColumn<QStringList>("speakers");
    QTest::addColumn<int>("tabs");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cursorAfter");  // -1: at the end

    const QStringList none;
    QTest::newRow("line start gets colon") << "bo" << -1 << none << 1 << "Bob: " << -1;
    QTest::newRow("mid line gets space") << "hi ca" << -1 << none << 1 << "hi carl " << -1;
    QTest::newRow("alphabetical first") << "b" << -1 << none << 1 << "Bea: " << -1;
    QTest::newRow("cycles") << "b" << -1 << none << 2 << "Bob: " << -1;
    QTest::newRow("cycles round") << "b" << -1 << none << 4 << "Bea: " << -1;
    QTest::newRow("recent speaker first") << "b" << -1 << QStringList{"bobby", "carl"} << 1 << "bobby: " << -1;
    QTest::newRow("most recent speaker first") << "b" << -1 << QStringList{"Bob", "bobby"} << 1 << "Bob: " << -1;
    QTest::newRow("speakers then alphabet") << "b" << -1 << QStringList{"bobby"} << 2 << "Bea: " << -1;
    QTest::newRow("case does not count") << "DO" << -1 << none << 1 << "Dora: " << -1;
    QTest::newRow("no match keeps the line") << "zed" << -1 << none << 1 << "zed" << -1;
    QTest::newRow("empty word") << "hi " << -1 << none << 1 << "hi " << -1;
    QTest::newRow("word before the cursor") << "do you see" << 2 << none << 1 << "Dora: you see" << 6;
    QTest::newRow("space already after") << "hey ca there" << 6 << none << 1 << "hey carl there" << 9;
    QTest::newRow("command name") << "/jo" << -1 << none << 1 << "/join " << -1;
    QTest::newRow("command names cycle") << "/u" << -1 << none << 2 << "/unignore " << -1;
    QTest::newRow("slash not at start is a nick") << "see /d" << -1 << none << 1 << "see /d" << -1;
}

void TestInputHelpers::completion()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QStringList, speakers);
    QFETCH(int, tabs);
    QFETCH(QString, after);
    QFETCH(int, cursorAfter);
    const QStringList nicks{"Dora", "bobby", "carl", "Bob", "Bea", "Ann"};
    TabCompleter completer;
    TabCompleter::Result result{text, cursor < 0 ? int(text.size()) : cursor};
    for (int i = 0; i < tabs; ++i)
        result = completer.Complete(result.text, result.cursor, nicks, speakers, CommandNames());
    QCOMPARE(result.text, after);
    QCOMPARE(result.cursor, cursorAfter < 0 ? int(after.size()) : cursorAfter);
}

void TestInputHelpers::history_data()
{
    // Steps: "+text" sends a line, "^" is Up, "v" is Down, "=text" types
    // text over the line. shown: the line after each Up or Down, in order.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("up walks back") << QStringList{"+one", "+two", "^", "^", "^"} << QStringList{"two", "one", "one"};
    QTest::newRow("half-typed line comes back") << QStringList{"+one", "=draft", "^", "v"} << QStringList{"one", "draft"};
    QTest::newRow("down at the bottom stays") << QStringList{"+one", "=x", "v"} << QStringList{"x"};
    QTest::newRow("down through") << QStringList{"+a", "+b", "+c", "^", "^", "^", "v", "v", "v"}
                                  << QStringList{"c", "b", "a", "b", "c", ""};
    QTest::newRow("sending resets the walk") << QStringList{"+a", "+b", "^", "^", "+c", "^"}
                                             << QStringList{"b", "a", "c"};
    QTest::newRow("empty lines are not kept") << QStringList{"+a", "+", "^", "^"} << QStringList{"a", "a"};
    QStringList many;
    for (int i = 0; i < 105; ++i) many << QStringLiteral("+%1").arg(i);
    QStringList ups(101, QStringLiteral("^"));
    QStringList oldest;
    for (int i = 104; i >= 5; --i) oldest << QString::number(i);
    oldest << QStringLiteral("5");  // the 100th line back is the oldest kept
    QTest::newRow("last hundred") << many + ups << oldest;
}

void TestInputHelpers::history()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, shown);
    InputHistory history;
    SentInput line;
    QStringList seen;
    for (const QString& step : steps) {
        if (step.startsWith(u'+')) {
            history.Add({step.mid(1), 3, true, false, false});
            line = SentInput();
        } else if (step.startsWith(u'=')) {
            line.text = step.mid(1);
        } else {
            const auto moved = step == QLatin1String("^") ? history.Up(line) : history.Down();
            if (moved) line = *moved;
            seen << line.text;
            // A recalled line comes with the style it was sent with.
            if (!line.text.isEmpty() && moved) QCOMPARE(line.colourIndex, line.text == QLatin1String("draft") ? -1 : 3);
        }
    }
    QCOMPARE(seen, shown);
    QVERIFY(history.Count() <= InputHistory::kLimit);
}

void TestInputHelpers::keysInTheInputLine()
{
    InputBar input;
    input.SetCompletionNicks([] { return QStringList{"Bob", "Bea"}; });
    input.NoteSpeaker(QStringLiteral("Bob"));
    InputLine(input)->setText(QStringLiteral("b"));
    QTest::keyClick(InputLine(input), Qt::Key_Tab);
    QCOMPARE(InputLine(input)->text(), QStringLiteral("Bob: "));
    QTest::keyClick(InputLine(input), Qt::Key_Tab);
    QCOMPARE(InputLine(input)->text(), QStringLiteral("Bea: "));

    // Sent bold and red; recalled with the style, the draft without it.
    Control<QToolButton>(input, "boldButton")->setChecked(true);
    Control<QComboBox>(input, "colourPicker")->setCurrentIndex(4);
    InputLine(input)->setText(QStringLiteral("hello"));
    QTest::keyClick(InputLine(input), Qt::Key_Return);
    InputLine(input)->clear();
    Control<QToolButton>(input, "boldButton")->setChecked(false);
    Control<QComboBox>(input, "colourPicker")->setCurrentIndex(-1);
    InputLine(input)->setText(QStringLiteral("half"));
    QTest::keyClick(InputLine(input), Qt::Key_Up);
    QCOMPARE(InputLine(input)->text(), QStringLiteral("hello"));
    QVERIFY(Control<QToolButton>(input, "boldButton")->isChecked());
    QCOMPARE(Control<QComboBox>(input, "colourPicker")->currentIndex(), 4);
    QTest::keyClick(InputLine(input), Qt::Key_Down);
    QCOMPARE(InputLine(input)->text(), QStringLiteral("half"));
    QVERIFY(!Control<QToolButton>(input, "boldButton")->isChecked());
    QCOMPARE(Control<QComboBox>(input, "colourPicker")->currentIndex(), -1);
}

QTEST_MAIN(TestInputHelpers)
#include "tst_input_helpers.moc"
