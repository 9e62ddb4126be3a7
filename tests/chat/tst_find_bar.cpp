// The transcript's find bar and the links the renderer leaves in a transcript.
#include "chat/find_bar.h"
#include "chat/renderer.h"
#include "chat/transcript_view.h"
#include "support/window_controls.h"
#include "support/transcript_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>
#include <QtTest>

class TestFindBar : public QObject {
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void renderedLinks_data();
    void renderedLinks();
};

void TestFindBar::find_data()
{
    // keys: one letter per key in the find field: n Enter, p Shift+Enter.
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("line");  // the line of the selected match; -1 none

    QTest::newRow("newest first") << "apple" << "" << "3 of 3" << 4;
    QTest::newRow("next goes round") << "apple" << "n" << "1 of 3" << 0;
    QTest::newRow("next then next") << "apple" << "nn" << "2 of 3" << 2;
    QTest::newRow("previous") << "apple" << "p" << "2 of 3" << 2;
    QTest::newRow("case does not count") << "APPLE PIE" << "" << "1 of 1" << 2;
    QTest::newRow("no match") << "cherry" << "n" << "No match" << -1;
    QTest::newRow("typed on past the matches") << "apricot" << "" << "No match" << -1;
    QTest::newRow("empty field") << "" << "" << "" << -1;
    QTest::newRow("overlapping") << "aa" << "" << "2 of 2" << 3;
}

void TestFindBar::find()
{
    QFETCH(QString, needle);
    QFETCH(QString, keys);
    QFETCH(QString, count);
    QFETCH(int, line);

    QWidget host;
    auto* view = new TranscriptView(&host);
    for (const char* text : {"an apple a day", "pears", "Apple pie", "aaa", "apple again"}) {
        MoveToAppendPosition(*view);
        RenderFormatted(*view, QString::fromLatin1(text), RenderMode::Incoming);
        view->SetSelText(QStringLiteral("\n"));
    }
    FindBar bar(view, &host);
    host.show();
    bar.Open();
    QVERIFY(bar.isVisible());
    QTest::keyClicks(Control<QLineEdit>(bar, "findLine"), needle);
    for (const QChar key : keys)
        QTest::keyClick(Control<QLineEdit>(bar, "findLine"), Qt::Key_Return, key == u'p' ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(Control<QLabel>(bar, "matchCount")->text(), count);
    if (line >= 0) {
        QCOMPARE(view->Store().LineAt(view->Selection().Start()), line);
        QCOMPARE(view->Selection().Text().toLower(), needle.toLower());
        QCOMPARE(view->Selection().MatchStart(), view->Selection().Start());
    } else {
        QVERIFY(view->Selection().IsEmpty());  // nothing still marked as if found
    }
    QTest::keyClick(Control<QLineEdit>(bar, "findLine"), Qt::Key_Escape);
    QVERIFY(!bar.isVisible());
    QCOMPARE(view->Selection().MatchEnd(), view->Selection().MatchStart());
}

void TestFindBar::renderedLinks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("targets");  // the link target of each shown character ('.' none)
    QTest::newRow("address") << "go www.a.b now" << "go www.a.b now"
                             << QStringList{"", "", "", "http://www.a.b", "http://www.a.b", "http://www.a.b",
                                            "http://www.a.b", "http://www.a.b", "http://www.a.b", "http://www.a.b",
                                            "", "", "", ""};
    QTest::newRow("bold inside, emoticon after") << QString::fromLatin1("#a\x02" "b :)") << QStringLiteral("#ab \uFFFC")
                                                 << QStringList{"#ab", "#ab", "#ab", "", ""};
    QTest::newRow("emoticon text inside a link stays text") << "http://x/:)a" << "http://x/:)a"
                                                            << QStringList(12, QStringLiteral("http://x/:)a"));
    QTest::newRow("emoticon after a link") << "http://x/:)" << QStringLiteral("http://x/\uFFFC")
                                           << QStringList(9, QStringLiteral("http://x/")) + QStringList{""};
}

void TestFindBar::renderedLinks()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QStringList, targets);
    TranscriptView view;
    RenderFormatted(view, text, RenderMode::Incoming);
    QCOMPARE(view.toPlainText(), shown);
    QStringList seen;
    for (int i = 0; i < shown.size(); ++i) {
        seen << TranscriptFormatAt(view, i + 1).anchorHref();
    }
    QCOMPARE(seen, targets);
    // Nothing written afterwards is part of a link.
    view.SetSelText(QStringLiteral("after"));
    QVERIFY(!TranscriptFormatAt(view, view.TextLength()).isAnchor());
}

QTEST_MAIN(TestFindBar)
#include "tst_find_bar.moc"
