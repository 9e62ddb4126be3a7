// The server log and a room transcript keep their place when the frame
// resizes, tiles or cascades its windows: at the end they stay at the end
// (and new lines show), scrolled up they keep the same line at the top.
#include "chat/rich_text_view.h"
#include "chat/room_window.h"
#include "shell/main_form.h"
#include "side/room_list_window.h"

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

class TestScrollPlace : public QObject {
    Q_OBJECT
private slots:
    void keepsPlace_data();
    void keepsPlace();
};

void TestScrollPlace::keepsPlace_data()
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

void TestScrollPlace::keepsPlace()
{
    QFETCH(QString, view);
    QFETCH(bool, atEnd);
    QFETCH(QString, action);
    TMainForm frame;
    frame.resize(900, 700);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    TForm1* room = frame.NewRoomWindow();
    for (int i = 0; i < 3; ++i) frame.NewRoomWindow();  // tiles share the frame four ways
    QPlainTextEdit* shown = view == QLatin1String("log") ? frame.Form4()->log : room->mainchat;
    const auto write = [&](int i) {
        if (view == QLatin1String("log")) {
            frame.Form4()->AppendLogLine(LongLine(i));
        } else {
            room->mainchat->SetSelStart(room->mainchat->TextLength());
            room->mainchat->SetSelText(LongLine(i) + u'\n');
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
        frame.WindowTileItem->trigger();
    } else {
        frame.WindowCascadeItem->trigger();
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

QTEST_MAIN(TestScrollPlace)
#include "tst_scroll_place.moc"
