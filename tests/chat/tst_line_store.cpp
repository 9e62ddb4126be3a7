// The transcript's line store: positions, inserts anywhere, the packed form,
// the cap with its note, line times and older lines put in front.
#include "chat/emoticons.h"
#include "transcript/line_store.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"

#include <QDateTime>
#include <QTest>

namespace {

StyleId Bold()
{
    RunStyle bold;
    bold.Set(RunStyle::Bold, true);
    return InternStyle(bold);
}

// The store's lines, each as "text" with runs written "[start:b|p|l]".
QString Describe(const LineStore& store)
{
    QStringList lines;
    for (int i = 0; i < store.Count(); ++i) {
        const LineText line = store.TextOf(i);
        QString shown = line.text;
        for (const LineRun& run : line.runs) {
            QString look = StyleOf(run.style).Has(RunStyle::Bold) ? QStringLiteral("b") : QString();
            if (run.IsPicture())
                look += u'p';
            if (run.LinkIndex() >= 0)
                look += u'l';
            if (!look.isEmpty())
                shown += QStringLiteral("[%1:%2]").arg(run.start).arg(look);
        }
        lines << shown;
    }
    return lines.join(u'|');
}

}  // namespace

class TestLineStore : public QObject {
    Q_OBJECT

private slots:
    void insertsAnywhere_data();
    void insertsAnywhere();
    void packsAndUnpacks_data();
    void packsAndUnpacks();
    void positionsMapToLines();
    void keepsTheCapWithItsNote();
    void linesKeepTheirTime();
    void olderLinesGoAboveOneSeparator();
};

void TestLineStore::insertsAnywhere_data()
{
    // Steps "position:text" ("*" for bold text, "@" for a picture); -1: at the end.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caret");
    QTest::newRow("appends") << QStringList{"-1:ab", "-1:cd"} << "abcd" << 4;
    QTest::newRow("line breaks start lines") << QStringList{"-1:a\nb\n"} << "a|b|" << 4;
    QTest::newRow("into an earlier line") << QStringList{"-1:ab\ncd", "1:X"} << "aXb|cd" << 2;
    QTest::newRow("a break inside a line splits it") << QStringList{"-1:abcd\nz", "2:\n"} << "ab|cd|z" << 3;
    QTest::newRow("bold into plain keeps both looks") << QStringList{"-1:abc\n", "1:*B"} << "aBbc[1:b]|" << 2;
    QTest::newRow("picture is one character") << QStringList{"-1:ab", "1:@"} << QStringLiteral(u"a\ufffcb[1:p]")
                                              << 2;
    QTest::newRow("clamped past the end") << QStringList{"-1:ab", "99:c"} << "abc" << 3;
    QTest::newRow("clamped before the start") << QStringList{"-1:ab", "-7:c"} << "cab" << 1;
}

void TestLineStore::insertsAnywhere()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    QFETCH(int, caret);
    LineStore store;
    int at = 0;
    for (const QString& step : steps) {
        const int colon = int(step.indexOf(u':', 1));
        int position = step.left(colon).toInt();
        if (position == -1)
            position = store.Length();
        const QString text = step.mid(colon + 1);
        if (text == u"@")
            at = store.InsertPicture(position, InternPicture(EmoticonPicture(1)), 0);
        else if (text.startsWith(u'*'))
            at = store.Insert(position, text.mid(1), Bold(), QString());
        else
            at = store.Insert(position, text, 0, QString());
    }
    QCOMPARE(Describe(store), expected);
    QCOMPARE(at, caret);
    QCOMPARE(store.PlainText().size(), store.Length());
}

void TestLineStore::packsAndUnpacks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<QStringList>("links");
    QTest::newRow("plain") << "hello there" << 0 << QStringList();
    QTest::newRow("empty") << "" << 0 << QStringList();
    QTest::newRow("non-ASCII, bidi, combining, zero-width")
        << QStringLiteral(u"Grüße \u202Eabc\u202C e\u0301 a\u200Bb 😀") << 0 << QStringList();
    QTest::newRow("pictures between text") << "a b" << 3 << QStringList();
    QTest::newRow("two links") << "see" << 0 << QStringList{"http://a.example/", "#room"};
    QTest::newRow("a long line") << QString(20000, u'x') << 1 << QStringList{QString(15000, u'u')};
}

void TestLineStore::packsAndUnpacks()
{
    QFETCH(QString, text);
    QFETCH(int, pictures);
    QFETCH(QStringList, links);
    LineText line;
    line.Append(text, 0, QString());
    for (int i = 0; i < pictures; ++i) {
        line.AppendPicture(InternPicture(EmoticonPicture(1 + i)), Bold());
        line.Append(QStringLiteral(" "), 0, QString());
    }
    for (const QString& link : links)
        line.Append(link, Bold(), link);
    const PackedLine packed = line.PackCompact();
    QCOMPARE(packed.Bytes(), line.Pack());
    const LineText back = LineText::Unpack(packed.Bytes());
    QCOMPARE(back.text, line.text);
    QCOMPARE(LineText::UnpackText(packed.Bytes()), line.text);
    QCOMPARE(back.links, line.links);
    QCOMPARE(back.runs.size(), line.runs.size());
    for (std::size_t i = 0; i < back.runs.size(); ++i) {
        QCOMPARE(back.runs[i].start, line.runs[i].start);
        QCOMPARE(back.runs[i].style, line.runs[i].style);
        QCOMPARE(back.runs[i].extra, line.runs[i].extra);
    }
    for (const QString& link : links)
        QCOMPARE(back.LinkAt(int(back.text.indexOf(link))), link);
}

void TestLineStore::positionsMapToLines()
{
    LineStore store;
    store.Insert(0, QStringLiteral("ab\n\ncde\nf"), 0, QString());
    const QList<int> lineOf{0, 0, 0, 1, 2, 2, 2, 2, 3, 3};  // every position, the end too
    for (int position = 0; position <= store.Length(); ++position)
        QCOMPARE(store.LineAt(position), lineOf[position]);
    QCOMPARE(store.StartOf(2), 4);
    QCOMPARE(store.LengthOf(2), 3);
    QCOMPARE(store.Count(), 4);
}

void TestLineStore::keepsTheCapWithItsNote()
{
    LineStore store;
    const int total = LineStore::kKeptLines + LineStore::kDropBlock;
    for (int i = 0; i < total; ++i)
        store.Insert(store.Length(), QStringLiteral("line %1\n").arg(i), 0, QString());
    QCOMPARE(store.DropOldLines(), 0);  // at the cap and one block more, nothing goes yet
    const int before = store.StartOf(store.Count() - 2);
    store.Insert(store.Length(), QStringLiteral("line %1\n").arg(total), 0, QString());
    const int lost = store.DropOldLines();
    QVERIFY(lost > 0);
    QCOMPARE(store.StartOf(store.Count() - 3), before - lost);
    QCOMPARE(store.PlainTextOf(0), LineStore::kDroppedNote);
    QCOMPARE(store.KindOf(0), LineStore::Kind::DroppedNote);
    QCOMPARE(store.PlainTextOf(1), QStringLiteral("line %1").arg(total + 1 - LineStore::kKeptLines));
    QCOMPARE(store.Count(), LineStore::kKeptLines + 2);  // the note and the empty last line
    // The next drop keeps the one note.
    for (int i = 0; i <= LineStore::kDropBlock; ++i)
        store.Insert(store.Length(), QStringLiteral("more\n"), 0, QString());
    QVERIFY(store.DropOldLines() > 0);
    QCOMPARE(store.PlainTextOf(0), LineStore::kDroppedNote);
    QVERIFY(store.PlainTextOf(1) != LineStore::kDroppedNote);
    QCOMPARE(store.PlainText().size(), store.Length());
}

void TestLineStore::linesKeepTheirTime()
{
    LineStore store;
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    store.Insert(0, QStringLiteral("now\n"), 0, QString());
    const qint64 serverTime = QDateTime(QDate(2024, 5, 1), QTime(9, 30, 15)).toMSecsSinceEpoch();
    store.SetNextLineTime(serverTime);
    store.Insert(store.Length(), QStringLiteral("from the server\nafter\n"), 0, QString());
    QVERIFY(store.TimeOf(0) >= before && store.TimeOf(0) <= QDateTime::currentMSecsSinceEpoch());
    QCOMPARE(store.TimeOf(1), serverTime);
    QVERIFY(store.TimeOf(2) >= before);  // only the next line takes the server's time
    QCOMPARE(TimeStampText(serverTime, TimeStampFormat::Minutes), QStringLiteral("[09:30] "));
    QCOMPARE(TimeStampText(serverTime, TimeStampFormat::Seconds), QStringLiteral("[09:30:15] "));
    QCOMPARE(TimeStampText(serverTime, TimeStampFormat::Off), QString());
}

void TestLineStore::olderLinesGoAboveOneSeparator()
{
    LineStore store;
    store.Insert(0, QStringLiteral("live 1\nlive 2"), 0, QString());
    const auto page = [](const QString& text) {
        LineStore older;
        older.Insert(0, text, 0, QString());
        return older;
    };
    LineStore first = page(QStringLiteral("old 3\nold 4\n"));
    QCOMPARE(store.PrependOlder(first), 12 + LineStore::kEarlierMark.size() + 1);
    QCOMPARE(first.Count(), 1);  // taken over
    LineStore second = page(QStringLiteral("old 1\nold 2"));
    store.PrependOlder(second);
    QCOMPARE(store.PlainText(), QStringLiteral("old 1\nold 2\nold 3\nold 4\n") + LineStore::kEarlierMark +
                                    QStringLiteral("\nlive 1\nlive 2"));
    QCOMPARE(store.KindOf(4), LineStore::Kind::EarlierMark);
    QCOMPARE(StyleOf(store.TextOf(4).runs.front().style).foreground, qRgb(0x80, 0x80, 0x80));
    QCOMPARE(store.LineAt(store.Length()), 6);
    QCOMPARE(store.PlainText().size(), store.Length());
    // Writing goes on at the end.
    store.Insert(store.Length(), QStringLiteral("!"), 0, QString());
    QCOMPARE(store.PlainTextOf(6), QStringLiteral("live 2!"));
}

QTEST_MAIN(TestLineStore)
#include "tst_line_store.moc"
