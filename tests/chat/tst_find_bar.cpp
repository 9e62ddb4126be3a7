// The transcript's find bar and the links the renderer leaves in a transcript.
#include "chat/find_bar.h"
#include "chat/renderer.h"
#include "chat/room_window.h"
#include "chat/transcript_links.h"
#include "transcript/transcript_view.h"
#include "support/window_controls.h"
#include "support/transcript_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolTip>
#include <QScrollBar>
#include <QToolButton>
#include <QTextBlock>
#include <QtTest>

class TestFindBar : public QObject {
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void closingGivesTheKeyboardBack_data();
    void closingGivesTheKeyboardBack();
    void hoveredLinkShowsItsTarget_data();
    void hoveredLinkShowsItsTarget();
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
        SetSelText(*view, QStringLiteral("\n"));
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

void TestFindBar::closingGivesTheKeyboardBack_data()
{
    QTest::addColumn<int>("lines");  // in the transcript: enough of them to scroll
    QTest::addColumn<bool>("byButton");  // closed by its button, else by Escape
    QTest::newRow("short transcript, Escape") << 3 << false;
    QTest::newRow("long transcript, Escape") << 300 << false;
    QTest::newRow("long transcript, close button") << 300 << true;
}

void TestFindBar::closingGivesTheKeyboardBack()
{
    // Ctrl+F in a room window, then the bar closed: what is typed next goes
    // into the input line. The whole bar, close button included, is clear of
    // the scroll bar.
    QFETCH(int, lines);
    QFETCH(bool, byButton);
    RoomWindow window(nullptr);
    for (int i = 0; i < lines; ++i) {
        MoveToAppendPosition(window.Transcript());
        SetSelText(window.Transcript(), QStringLiteral("line %1\n").arg(i));
    }
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    InputLine(window)->setFocus();
    QTest::keyClick(InputLine(window), Qt::Key_F, Qt::ControlModifier);
    auto* bar = Control<FindBar>(window.Transcript(), "findBar");
    QVERIFY(bar->isVisible());
    QTRY_VERIFY(Control<QLineEdit>(*bar, "findLine")->hasFocus());
    auto* close = Control<QToolButton>(*bar, "closeFindButton");
    const QRect closeInView(close->mapTo(&window.Transcript(), QPoint(0, 0)), close->size());
    QVERIFY(window.Transcript().viewport()->geometry().contains(closeInView));
    if (byButton)
        QTest::mouseClick(close, Qt::LeftButton);
    else
        QTest::keyClick(Control<QLineEdit>(*bar, "findLine"), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("hi"));
    QCOMPARE(InputLine(window)->text(), QStringLiteral("hi"));
}

void TestFindBar::hoveredLinkShowsItsTarget_data()
{
    QTest::addColumn<QString>("text");   // rendered into the transcript; its link starts at 3
    QTest::addColumn<QString>("target");  // as the tooltip and the status bar show it
    QTest::newRow("plain") << "go http://a.example/x" << "http://a.example/x";
    QTest::newRow("look-alike host") << QString::fromUtf8("go https://аррӏе.com/") << "https://xn--80ak6aa92e.com/";
    QTest::newRow("direction control") << QString::fromUtf8("go https://apple.com/\u202Egnp.exe")
                                       << "https://apple.com/%E2%80%AEgnp.exe";
}

void TestFindBar::hoveredLinkShowsItsTarget()
{
    QFETCH(QString, text);
    QFETCH(QString, target);
    QMainWindow frame;  // shows the status tips that reach it in its status bar, as the program's frame does
    auto* view = new TranscriptView(&frame);
    frame.setCentralWidget(view);
    frame.statusBar();
    FollowLinks(*view, [] { return nullptr; });
    MoveToAppendPosition(*view);
    RenderFormatted(*view, text + QStringLiteral("\n\nplain text"), RenderMode::Incoming);
    frame.resize(400, 200);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    const QPoint onLink = PointOf(*view, 5);
    const QPoint offLink = PointOf(*view, view->TextLength() - 1) + QPoint(5, 0);
    QVERIFY(!view->anchorAt(onLink).isEmpty());

    QTest::mouseMove(view->viewport(), onLink);
    QTRY_COMPARE(frame.statusBar()->currentMessage(), target);
    QHelpEvent help(QEvent::ToolTip, onLink, view->viewport()->mapToGlobal(onLink));
    QApplication::sendEvent(view->viewport(), &help);
    QCOMPARE(QToolTip::text(), target);
    QTest::mouseMove(view->viewport(), offLink);
    QTRY_COMPARE(frame.statusBar()->currentMessage(), QString());  // the frame's own hint comes back
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
    SetSelText(view, QStringLiteral("after"));
    QVERIFY(!TranscriptFormatAt(view, view.TextLength()).isAnchor());
}

QTEST_MAIN(TestFindBar)
#include "tst_find_bar.moc"
