// Long server logs and room transcripts: they keep their place when the
// frame resizes, tiles or cascades its windows (at the end they stay at the
// end and new lines show; scrolled up they keep the same line at the top),
// and they keep only their last lines, saying that older ones were dropped.
#include "transcript/transcript_view.h"
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

// Both views are transcripts: the log and a room's.
const TranscriptView& Shown(QAbstractScrollArea* view) { return *static_cast<TranscriptView*>(view); }

// The line shown at the view's top.
int TopBlock(QAbstractScrollArea* view) { return Shown(view).Scroller().TopLine(); }

// The text of line n of the view; of its last one for n < 0.
QString ShownLineText(QAbstractScrollArea* view, int n)
{
    const LineStore& store = Shown(view).Store();
    return store.PlainTextOf(n < 0 ? store.Count() - 1 : n);
}

int LineCount(QAbstractScrollArea* view) { return Shown(view).Store().Count(); }

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
    QAbstractScrollArea* shown = view == QLatin1String("log") ? static_cast<QAbstractScrollArea*>(Control<TranscriptView>(frame, "serverLog"))
                                                              : &room->Transcript();
    const auto write = [&](int i) {
        if (view == QLatin1String("log")) {
            frame.RoomList()->AppendLogLine(LongLine(i));
        } else {
            SetSelStart(room->Transcript(), room->Transcript().TextLength());
            SetSelText(room->Transcript(), LongLine(i) + u'\n');
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
        QVERIFY(ShownLineText(shown, LineCount(shown) - 2).startsWith(QStringLiteral("line 200 ")) ||
                ShownLineText(shown, -1).startsWith(QStringLiteral("line 200 ")));
    } else {
        QTRY_COMPARE(TopBlock(shown), top);
        QVERIFY(bar->value() < bar->maximum());
        // New lines leave the view where the reader is.
        write(200);
        QApplication::processEvents();
        QCOMPARE(TopBlock(shown), top);
    }
}

void TestLongViews::keepsLastLines_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<QList<int>>("bursts");   // lines written in each burst, numbered on from 0
    QTest::addColumn<int>("kept");            // lines kept after the note (all lines: no note)
    const int log = RoomListWindow::kLogKeptLines;
    const int chat = LineStore::kKeptLines;
    QTest::newRow("log up to its block: nothing dropped") << "log" << QList<int>{log + RoomListWindow::kLogDropBlock} << -1;
    QTest::newRow("log past it: back to its last lines") << "log" << QList<int>{log + RoomListWindow::kLogDropBlock + 1} << log;
    QTest::newRow("log dropped twice: one note")
        << "log" << QList<int>{log + RoomListWindow::kLogDropBlock + 100, RoomListWindow::kLogDropBlock + 500} << log;
    QTest::newRow("log in small bursts") << "log" << QList<int>((log + RoomListWindow::kLogDropBlock) / 1000 + 1, 1000) << log;
    QTest::newRow("transcript past its block") << "transcript" << QList<int>{chat + LineStore::kDropBlock + 1} << chat;
    QTest::newRow("transcript dropped twice: one note")
        << "transcript" << QList<int>{chat + LineStore::kDropBlock + 1, LineStore::kDropBlock + 1} << chat;
}

void TestLongViews::keepsLastLines()
{
    QFETCH(QString, view);
    QFETCH(QList<int>, bursts);
    QFETCH(int, kept);
    RoomListWindow list;
    TranscriptView chat;
    QAbstractScrollArea* shown = view == QLatin1String("log") ? static_cast<QAbstractScrollArea*>(Control<TranscriptView>(list, "serverLog")) : &chat;
    int written = 0;
    for (const int burst : bursts) {
        QStringList lines;
        for (int i = 0; i < burst; ++i) lines << QStringLiteral("line %1").arg(written++);
        if (view == QLatin1String("log")) {
            list.AppendLogLines(lines);
        } else {
            TranscriptView::Batch batch(chat);
            SetSelStart(chat, chat.TextLength());
            SetSelText(chat, lines.join(u'\n') + u'\n');
        }
    }
    const QString note = view == QLatin1String("log") ? RoomListWindow::kLogDroppedNote : LineStore::kDroppedNote;
    const int trailing = view == QLatin1String("log") ? 0 : 1;  // the transcript's empty line after the last break
    if (kept < 0) {
        QCOMPARE(LineCount(shown), written + trailing);
        QCOMPARE(ShownLineText(shown, 0), QStringLiteral("line 0"));
        return;
    }
    QCOMPARE(ShownLineText(shown, 0), note);
    QCOMPARE(LineCount(shown), 1 + kept + trailing);
    QCOMPARE(ShownLineText(shown, 1), QStringLiteral("line %1").arg(written - kept));
    QCOMPARE(ShownLineText(shown, kept), QStringLiteral("line %1").arg(written - 1));
}

QTEST_MAIN(TestLongViews)
#include "tst_long_views.moc"
