// Long server logs and room transcripts: they keep their place when the
// frame resizes, tiles or cascades its windows (at the end they stay at the
// end and new lines show; scrolled up they keep the same line at the top),
// and they keep only their last lines, saying that older ones were dropped.
#include "chat/transcript_view.h"
#include "support/window_controls.h"
#include "chat/room_window.h"
#include "shell/main_window.h"
#include "side/room_list_window.h"

#include <QTextDocument>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

namespace {

QString LongLine(int i)
{
    return QStringLiteral("line %1 ").arg(i) + QString(160, u'w').replace(QRegularExpression("w{8}"), "word ww ");
}

// The paragraph shown at the view's top.
int TopBlock(QPlainTextEdit* view)
{
    return view->cursorForPosition(QPoint(1, 1)).blockNumber();
}

}  // namespace

class TestLongViews : public QObject {
    Q_OBJECT
private slots:
    void keepsPlace_data();
    void keepsPlace();
    void keepsLastLines_data();
    void keepsLastLines();
};

void TestLongViews::keepsPlace_data()
{
    QTest::addColumn<QString>("view");  // "log" or "transcript"
    QTest::addColumn<bool>("atEnd");    // false: scrolled up by the user
    QTest::addColumn<QString>("action");
    for (const char* view : {"log", "transcript"})
        for (const bool atEnd : {true, false})
            for (const char* action : {"resize", "tile", "cascade"})
                QTest::addRow("%s %s, %s", view, atEnd ? "at its end" : "scrolled up", action)
                    << QString::fromLatin1(view) << atEnd << QString::fromLatin1(action);
}

void TestLongViews::keepsPlace()
{
    QFETCH(QString, view);
    QFETCH(bool, atEnd);
    QFETCH(QString, action);
    MainWindow frame;
    frame.resize(900, 700);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    RoomWindow* room = frame.NewRoomWindow();
    for (int i = 0; i < 3; ++i) frame.NewRoomWindow();  // tiles share the frame four ways
    QPlainTextEdit* shown = view == QLatin1String("log") ? Control<QPlainTextEdit>(frame, "serverLog") : &room->Transcript();
    const auto write = [&](int i) {
        if (view == QLatin1String("log")) {
            frame.RoomList()->AppendLogLine(LongLine(i));
        } else {
            room->Transcript().SetSelStart(room->Transcript().TextLength());
            room->Transcript().SetSelText(LongLine(i) + u'\n');
        }
    };
    for (int i = 0; i < 200; ++i) write(i);
    QScrollBar* bar = shown->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 50);
    QApplication::processEvents();  // the transcript's own scroll to its caret comes first
    bar->setValue(atEnd ? bar->maximum() : bar->maximum() / 3);  // as the user's drag leaves it
    QApplication::processEvents();
    const int top = TopBlock(shown);

    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* s : frame.MdiArea()->subWindowList())
        if (s->isAncestorOf(shown)) sub = s;
    QVERIFY(sub);
    if (action == QLatin1String("resize")) {
        sub->resize(760, 560);
        QApplication::processEvents();
        sub->resize(330, 300);  // narrower: every line wraps more
    } else if (action == QLatin1String("tile")) {
        Control<QAction>(frame, "tileHorizontallyAction")->trigger();
    } else {
        Control<QAction>(frame, "cascadeAction")->trigger();
    }
    QApplication::processEvents();

    if (atEnd) {
        QTRY_COMPARE(bar->value(), bar->maximum());
        write(200);  // a new line shows at once
        QTRY_COMPARE(bar->value(), bar->maximum());
        QVERIFY(shown->document()->lastBlock().previous().text().startsWith(QStringLiteral("line 200 ")) ||
                shown->document()->lastBlock().text().startsWith(QStringLiteral("line 200 ")));
    } else {
        QTRY_COMPARE(TopBlock(shown), top);
        QVERIFY(bar->value() < bar->maximum());
        // New lines leave the log where the reader is (a transcript goes to
        // its end on each change, as the room window asks of it).
        write(200);
        QApplication::processEvents();
        if (view == QLatin1String("log")) QCOMPARE(TopBlock(shown), top);
    }
}

void TestLongViews::keepsLastLines_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<QList<int>>("bursts");   // lines written in each burst, numbered on from 0
    QTest::addColumn<int>("kept");            // lines kept after the note (all lines: no note)
    const int log = RoomListWindow::kLogKeptLines;
    const int chat = TranscriptView::kKeptLines;
    QTest::newRow("log up to its block: nothing dropped") << "log" << QList<int>{log + RoomListWindow::kLogDropBlock} << -1;
    QTest::newRow("log past it: back to its last lines") << "log" << QList<int>{log + RoomListWindow::kLogDropBlock + 1} << log;
    QTest::newRow("log dropped twice: one note") << "log" << QList<int>{log + 2100, 2500} << log;
    QTest::newRow("log in small bursts") << "log" << QList<int>(23, 1000) << log;
    QTest::newRow("transcript past its block") << "transcript" << QList<int>{chat + TranscriptView::kDropBlock + 1} << chat;
    QTest::newRow("transcript dropped twice: one note")
        << "transcript" << QList<int>{chat + TranscriptView::kDropBlock + 1, TranscriptView::kDropBlock + 1} << chat;
}

void TestLongViews::keepsLastLines()
{
    QFETCH(QString, view);
    QFETCH(QList<int>, bursts);
    QFETCH(int, kept);
    RoomListWindow list;
    TranscriptView chat;
    QPlainTextEdit* shown = view == QLatin1String("log") ? Control<QPlainTextEdit>(list, "serverLog") : &chat;
    int written = 0;
    for (const int burst : bursts) {
        QStringList lines;
        for (int i = 0; i < burst; ++i) lines << QStringLiteral("line %1").arg(written++);
        if (view == QLatin1String("log")) {
            list.AppendLogLines(lines);
        } else {
            TranscriptView::Batch batch(chat);
            chat.SetSelStart(chat.TextLength());
            chat.SetSelText(lines.join(u'\n') + u'\n');
        }
    }
    QTextDocument* text = shown->document();
    const QString note = view == QLatin1String("log") ? RoomListWindow::kLogDroppedNote : TranscriptView::kDroppedNote;
    const int trailing = view == QLatin1String("log") ? 0 : 1;  // the transcript's empty line after the last break
    if (kept < 0) {
        QCOMPARE(text->blockCount(), written + trailing);
        QCOMPARE(text->firstBlock().text(), QStringLiteral("line 0"));
        return;
    }
    QCOMPARE(text->firstBlock().text(), note);
    QCOMPARE(text->blockCount(), 1 + kept + trailing);
    QCOMPARE(text->findBlockByNumber(1).text(), QStringLiteral("line %1").arg(written - kept));
    QCOMPARE(text->findBlockByNumber(kept).text(), QStringLiteral("line %1").arg(written - 1));
}

QTEST_MAIN(TestLongViews)
#include "tst_long_views.moc"
