// The transcript view: selection and copy across lines, links under the
// pointer, the find bar's match, following the end, keeping the place
// through resizes, time stamps, and lines that are hard to lay out.
#include "chat/emoticons.h"
#include "support/transcript_text.h"
#include "chat/renderer.h"
#include "transcript/time_stamps.h"
#include "transcript/transcript_export.h"
#include "transcript/transcript_view.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QWheelEvent>

namespace {

// n lines "line i", written as the windows write them.
void Fill(TranscriptView& view, int n, int from = 0)
{
    TranscriptView::Batch batch(view);
    for (int i = from; i < from + n; ++i) {
        MoveToAppendPosition(view);
        SetSelText(view, QStringLiteral("line %1\n").arg(i));
    }
}

// Counts the events of one kind that reach a widget.
class EventCounter : public QObject {
public:
    EventCounter(QWidget& on, QEvent::Type type) : type_(type) { on.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == type_) ++count;
        return false;
    }

private:
    QEvent::Type type_;
};

}  // namespace

class TestTranscriptView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void copiesSelectionAcrossLines_data();
    void copiesSelectionAcrossLines();
    void selectsWithMouseAndKeys();
    void linksOnlyOnTheirOwnText_data();
    void linksOnlyOnTheirOwnText();
    void findMatchIsSelectedAndShown();
    void followsTheEndUnlessScrolledUp_data();
    void followsTheEndUnlessScrolledUp();
    void timeStampsAsChosen_data();
    void timeStampsAsChosen();
    void hardLinesStayInTheirLine_data();
    void hardLinesStayInTheirLine();
    void olderLinesKeepTheView();
    void screenReadersGetTheShownText();
    void shutInputPassesEventsOn_data();
    void shutInputPassesEventsOn();
};

void TestTranscriptView::initTestCase()
{
    TimeStampSetting::Instance().SetFormat(TimeStampFormat::Off);
}

void TestTranscriptView::copiesSelectionAcrossLines_data()
{
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("copied");
    // "alpha beta\ngamma <pic> delta\nepsilon"
    QTest::newRow("inside a line") << 6 << 10 << "beta";
    QTest::newRow("backwards") << 10 << 6 << "beta";
    QTest::newRow("across a line break") << 6 << 16 << "beta\ngamma";
    QTest::newRow("picture left out of plain text") << 11 << 24 << "gamma  delta";
    QTest::newRow("three lines") << 0 << 32 << "alpha beta\ngamma  delta\nepsilon";
    QTest::newRow("nothing selected copies nothing") << 3 << 3 << "before";
}

void TestTranscriptView::copiesSelectionAcrossLines()
{
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, copied);
    TranscriptView view;
    SetSelText(view, QStringLiteral("alpha beta\ngamma "));
    InsertPicture(view, EmoticonPicture(1));
    SetSelText(view, QStringLiteral(" delta\nepsilon"));
    QApplication::clipboard()->setText(QStringLiteral("before"));
    view.Select(anchor, position);
    view.Copy();
    QCOMPARE(QApplication::clipboard()->text(), copied);
    if (anchor != position) {
        // The rich copy keeps the looks and the picture.
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data->hasHtml());
        QCOMPARE(data->html().contains(QStringLiteral("<img")), copied.contains(QStringLiteral("  ")));
    }
}

void TestTranscriptView::selectsWithMouseAndKeys()
{
    TranscriptView view;
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    SetSelText(view, QStringLiteral("first line\nsecond line\nthird"));
    QWidget* area = view.viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, PointOf(view, 6));
    QTest::mouseMove(area, PointOf(view, 17));
    QTest::mouseRelease(area, Qt::LeftButton, {}, PointOf(view, 17));
    QCOMPARE(view.Selection().Text(), QStringLiteral("line\nsecond"));
    // Shift with the arrows stretches it; Ctrl+C copies it.
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view.Selection().Text(), QStringLiteral("line\nsecond line\nthird"));
    QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("line\nsecond line\nthir"));
    QTest::mouseDClick(area, Qt::LeftButton, {}, PointOf(view, 14));
    QCOMPARE(view.Selection().Text(), QStringLiteral("second"));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(view.Selection().Text(), view.toPlainText());
}

void TestTranscriptView::linksOnlyOnTheirOwnText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("link");
    QTest::newRow("web address") << "see http://a.example/x now" << "http://a.example/x";
    QTest::newRow("room") << "come to #lobby now" << "#lobby";
    QTest::newRow("a very long address") << QStringLiteral("go http://b.example/") + QString(15000, u'q') + " x"
                                         << QStringLiteral("http://b.example/") + QString(15000, u'q');
}

void TestTranscriptView::linksOnlyOnTheirOwnText()
{
    QFETCH(QString, text);
    QFETCH(QString, link);
    TranscriptView view;
    view.resize(500, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    SetSelText(view, QStringLiteral("before\n"));
    RenderFormatted(view, text, RenderMode::Incoming);
    SetSelText(view, QStringLiteral("\nafter"));
    view.ScrollCaretIntoView();
    const int start = view.Store().StartOf(1) + int(text.indexOf(link));
    if (view.Scroller().TopLine() > 1)
        view.Select(start, start);  // the start of a long link may be above the view
    QCOMPARE(view.anchorAt(PointOf(view, start + 1)), view.Scroller().TopLine() <= 1 ? link : QString());
    // Beside the text: on the line before, past the end of the last line.
    QCOMPARE(view.anchorAt(PointOf(view, 2)), QString());
    const auto rows = view.Scroller().Shown();
    QCOMPARE(view.anchorAt(QPoint(view.viewport()->width() - 3, rows.back().y + 2)), QString());
}

void TestTranscriptView::findMatchIsSelectedAndShown()
{
    TranscriptView view;
    view.resize(300, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    Fill(view, 500);
    const int at = int(view.toPlainText().indexOf(QStringLiteral("line 123\n")));
    view.ShowMatch(at, 8);
    QCOMPARE(view.Selection().Text(), QStringLiteral("line 123"));
    QCOMPARE(view.Selection().MatchStart(), at);
    bool shown = false;
    for (const auto& row : view.Scroller().Shown())
        shown = shown || row.line == 123;
    QVERIFY(shown);
    QVERIFY(!view.Scroller().Following());
    // New lines do not pull the match away.
    Fill(view, 10, 500);
    QVERIFY(view.Scroller().TopLine() < 123);
    view.ShowMatch(0, 0);
    QVERIFY(view.Selection().IsEmpty());
}

void TestTranscriptView::followsTheEndUnlessScrolledUp_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("atEnd");
    QTest::newRow("lines arrive") << "arrive" << true;
    QTest::newRow("resized narrower") << "narrow" << true;
    QTest::newRow("scrolled up, lines arrive") << "up+arrive" << false;
    QTest::newRow("scrolled up, resized") << "up+narrow" << false;
    QTest::newRow("scrolled up, then to the end") << "up+end+arrive" << true;
    QTest::newRow("wheel up, lines arrive") << "wheel+arrive" << false;
    QTest::newRow("a few pixels up, lines arrive") << "pixels+arrive" << false;
}

void TestTranscriptView::followsTheEndUnlessScrolledUp()
{
    QFETCH(QString, step);
    QFETCH(bool, atEnd);
    TranscriptView view;
    view.resize(300, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    Fill(view, 300);
    int top = -1;
    for (const QString& part : step.split(u'+')) {
        if (part == u"arrive")
            Fill(view, 50, 300);
        else if (part == u"narrow")
            view.resize(120, 150);
        else if (part == u"end")
            QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
        else if (part == u"wheel" || part == u"pixels") {
            const QPoint middle = view.viewport()->rect().center();
            QWheelEvent wheel(middle, view.viewport()->mapToGlobal(middle),
                              part == u"pixels" ? QPoint(0, 6) : QPoint(), QPoint(0, 120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view.viewport(), &wheel);
            top = view.Scroller().TopLine();
        } else if (part == u"up") {
            QTest::keyClick(&view, Qt::Key_PageUp);
            QTest::keyClick(&view, Qt::Key_PageUp);
            top = view.Scroller().TopLine();
        }
        view.ScrollCaretIntoView();
        QCoreApplication::processEvents();
    }
    const auto rows = view.Scroller().Shown();
    const bool lastShown = rows.back().line == view.Scroller().ShownCount() - 1 &&
                           rows.back().y + 1 <= view.viewport()->height();
    QCOMPARE(lastShown, atEnd);
    QCOMPARE(view.Scroller().Following(), atEnd);
    if (!atEnd)
        QCOMPARE(view.Scroller().TopLine(), top);  // the same line stays at the top
}

void TestTranscriptView::timeStampsAsChosen_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("first");
    QTest::newRow("off") << int(TimeStampFormat::Off) << "hello";
    QTest::newRow("minutes") << int(TimeStampFormat::Minutes) << "[08:05] hello";
    QTest::newRow("seconds") << int(TimeStampFormat::Seconds) << "[08:05:09] hello";
}

void TestTranscriptView::timeStampsAsChosen()
{
    QFETCH(int, format);
    QFETCH(QString, first);
    TranscriptView view;
    view.SetNextLineTime(QDateTime(QDate(2025, 1, 2), QTime(8, 5, 9)).toMSecsSinceEpoch());
    SetSelText(view, QStringLiteral("hello\nsecond"));
    TimeStampSetting::Instance().SetFormat(TimeStampFormat(format));
    QCOMPARE(view.TimeStamps(), TimeStampFormat(format));
    // What Save Chat writes and a rich copy carries shows the times; the
    // text positions do not count them.
    const auto document = TranscriptDocument(view);
    QCOMPARE(document->firstBlock().text(), first);
    QCOMPARE(view.TextLength(), 12);
    const QByteArray rtf = WriteRtf(TakeTranscriptSnapshot(view));
    QCOMPARE(rtf.contains("[08:05"), format != int(TimeStampFormat::Off));
    TimeStampSetting::Instance().SetFormat(TimeStampFormat::Off);
}

void TestTranscriptView::hardLinesStayInTheirLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("16 KB without a space") << QString(16384, u'w');
    QTest::newRow("10,000 emoticons") << QStringLiteral(":)").repeated(10000);
    QTest::newRow("only formatting codes") << QStringLiteral("\x02\x03" "4,5\x1d\x1f\x0f").repeated(500);
    QTest::newRow("bidi and combining") << QStringLiteral(u"\u202Eabc \u05D0\u05D1 e\u0301\u0301\u0301 ").repeated(300);
    QTest::newRow("zero-width") << QStringLiteral(u"\u200B\u200C\u200D\u2060").repeated(1000);
}

void TestTranscriptView::hardLinesStayInTheirLine()
{
    QFETCH(QString, text);
    TranscriptView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    SetSelText(view, QStringLiteral("above\n"));
    RenderFormatted(view, text, RenderMode::Incoming);
    SetSelText(view, QStringLiteral("\nbelow"));
    view.ScrollCaretIntoView();
    view.repaint();
    // Nothing lost, and the line wraps within the view's width.
    QCOMPARE(view.Store().PlainTextOf(2), QStringLiteral("below"));
    LineLayouts layouts(view.Store());
    layouts.SetWidth(300);
    const QTextLayout& laid = layouts.Layout(1).layout;
    for (int i = 0; i < laid.lineCount(); ++i)
        QVERIFY2(laid.lineAt(i).naturalTextWidth() <= 300 + 1, qPrintable(QString::number(i)));
    QVERIFY(layouts.Height(1) >= 1);
}

void TestTranscriptView::olderLinesKeepTheView()
{
    TranscriptView view;
    view.resize(300, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    Fill(view, 100);
    QTest::keyClick(&view, Qt::Key_PageUp);
    const QString topText = view.Store().PlainTextOf(view.Scroller().TopLine());
    const int caretText = SelStart(view);
    LineStore older;
    older.Insert(0, QStringLiteral("old a\nold b\n"), 0, QString());
    view.PrependOlder(older);
    QCOMPARE(view.Store().PlainTextOf(view.Scroller().TopLine()), topText);
    QCOMPARE(SelStart(view), caretText + 12 + int(LineStore::kEarlierMark.size()) + 1);
    QCOMPARE(view.Store().PlainTextOf(2), LineStore::kEarlierMark);
}

void TestTranscriptView::screenReadersGetTheShownText()
{
    TranscriptView view;
    view.resize(300, 150);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    Fill(view, 200);
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(reader);
    const QString text = reader->text(QAccessible::Value);
    QVERIFY2(text.endsWith(QStringLiteral("line 199")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("line 100\n")));  // only what is on screen
    QVERIFY(reader->state().readOnly);
}

void TestTranscriptView::shutInputPassesEventsOn_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("inputOn");
    for (const char* action : {"key", "press", "double click"})
        for (const bool on : {true, false})
            QTest::addRow("%s, input %s", action, on ? "on" : "off") << QString::fromLatin1(action) << on;
}

// With its input shut, the view leaves keys and clicks to its parent, as a
// widget that ignores them does; with it on, it keeps them.
void TestTranscriptView::shutInputPassesEventsOn()
{
    QFETCH(QString, action);
    QFETCH(bool, inputOn);
    QWidget parent;
    auto* view = new TranscriptView(&parent);
    view->resize(300, 200);
    Fill(*view, 50);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    view->Input().SetEnabled(inputOn);
    const QEvent::Type type = action == QLatin1String("key")     ? QEvent::KeyPress
                              : action == QLatin1String("press") ? QEvent::MouseButtonPress
                                                                 : QEvent::MouseButtonDblClick;
    EventCounter reached(parent, type);
    if (type == QEvent::KeyPress)
        QTest::keyClick(view, Qt::Key_Up);
    else if (type == QEvent::MouseButtonPress)
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    else
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(reached.count > 0, !inputOn);
}

QTEST_MAIN(TestTranscriptView)
#include "tst_transcript_view.moc"
