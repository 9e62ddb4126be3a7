// Chat text rendering into the transcript view: formatting bytes, emoticons,
// note styles, and the view operations the windows rely on.
#include "chat/emoticons.h"
#include "chat/renderer.h"
#include "transcript/time_stamps.h"
#include "transcript/transcript_export.h"
#include "transcript/transcript_view.h"
#include "common/wire_text.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <stdexcept>

namespace {

// One stretch of the transcript with a single look, e.g. {"hi", "b fg=#ff0000"}.
// Paragraph breaks are {"\n", ""}, pictures {"", "pic=N"}.
using Run = std::pair<QString, QString>;
using Runs = QList<Run>;

// The look of a text run in a fixed order; black foreground and no
// background are left out, so plain text has an empty look.
QString LookOf(const QTextCharFormat& format)
{
    QStringList look;
    const QColor foreground = format.foreground().color();
    if (foreground != QColor(Qt::black))
        look << QStringLiteral("fg=") + foreground.name();
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        look << QStringLiteral("bg=") + format.background().color().name();
    if (format.fontWeight() >= QFont::Bold)
        look << QStringLiteral("b");
    if (format.fontItalic())
        look << QStringLiteral("i");
    if (format.fontUnderline())
        look << QStringLiteral("u");
    if (format.fontStrikeOut())
        look << QStringLiteral("s");
    if (format.fontFixedPitch())
        look << QStringLiteral("m");
    return look.join(u' ');
}

QString PictureLook(const QTextDocument& document, const QTextImageFormat& format)
{
    const QImage shown =
        document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    for (int n = 1; n <= kEmoticonCount; ++n)
        if (shown == EmoticonPicture(n))
            return QStringLiteral("pic=%1").arg(n);
    return QStringLiteral("pic=?");
}

// The whole document as runs, neighbouring text of the same look merged.
Runs RunsOf(const QTextDocument& document)
{
    Runs runs;
    auto add = [&runs](const QString& text, const QString& look) {
        if (!text.isEmpty() && !runs.isEmpty() && runs.last().second == look && !runs.last().first.isEmpty() &&
            runs.last().first != u'\n' && text != u'\n')
            runs.last().first += text;
        else
            runs.append({text, look});
    };
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            add(QStringLiteral("\n"), QString());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat()) {
                for (int i = 0; i < fragment.length(); ++i)
                    add(QString(), PictureLook(document, fragment.charFormat().toImageFormat()));
            } else {
                add(fragment.text(), LookOf(fragment.charFormat()));
            }
        }
    }
    return runs;
}

QString Describe(const Runs& runs)
{
    QStringList parts;
    for (const Run& run : runs)
        parts << QStringLiteral("[%1|%2]").arg(run.first, run.second);
    return parts.join(u' ');
}

// Wire bytes with embedded NULs kept.
template <size_t N>
QString Wire(const char (&bytes)[N])
{
    return FromWire(std::string(bytes, N - 1));
}

Run Pic(int n)
{
    return {QString(), QStringLiteral("pic=%1").arg(n)};
}

}  // namespace

class TestRenderer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TimeStampSetting::Instance().SetFormat(TimeStampFormat::Off); }
    void rendersRuns_data();
    void rendersRuns();
    void keepsAttributesNoByteChanged();
    void writesNoteStyles_data();
    void writesNoteStyles();
    void echoShutsInputOnlyWhileDrawing_data();
    void echoShutsInputOnlyWhileDrawing();
    void oneChangePerRenderedText();
    void leavesClipboardAndUserSelectionAlone();
    void picturesAreDistinct();

    void caretAndLength();
    void typedCharactersAreOfferedAndDiscarded();
    void copiesSelection();
    void batchDefersChangeAndScroll();
    void scrollsCaretIntoView();
    void saveToUnwritablePathThrows();
};

void TestRenderer::rendersRuns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Runs>("expected");

    const QString red = QStringLiteral("fg=#ff0000");
    // Bold, italic, underline, strike-through and monospace toggles.
    QTest::newRow("bold toggles") << Wire("\x02" "hi\x02" " there") << Runs{{"hi", "b"}, {" there", ""}};
    QTest::newRow("italic toggles") << Wire("a\x1d" "b\x1d" "c") << Runs{{"a", ""}, {"b", "i"}, {"c", ""}};
    QTest::newRow("underline toggles") << Wire("\x1f" "u\x1f" "n") << Runs{{"u", "u"}, {"n", ""}};
    QTest::newRow("0x16 is strike-through") << Wire("\x16" "s\x16" "n") << Runs{{"s", "s"}, {"n", ""}};
    QTest::newRow("0x1E is strike-through") << Wire("\x1e" "s\x1e" "n") << Runs{{"s", "s"}, {"n", ""}};
    QTest::newRow("0x16 and 0x1E share one switch") << Wire("\x16" "s\x1e" "n") << Runs{{"s", "s"}, {"n", ""}};
    QTest::newRow("monospace toggles") << Wire("\x11" "code\x11" " x") << Runs{{"code", "m"}, {" x", ""}};

    // Colours.
    QTest::newRow("one digit colour") << Wire("\x03" "4word") << Runs{{"word", red}};
    QTest::newRow("two digit colour") << Wire("\x03" "12word") << Runs{{"word", "fg=#0000ff"}};
    QTest::newRow("picker's Light Grey") << Wire("\x03" "15word") << Runs{{"word", "fg=#c0c0c0"}};
    QTest::newRow("leading zero keeps a digit as text") << Wire("\x03" "045 apples") << Runs{{"5 apples", red}};
    QTest::newRow("only two digits are read") << Wire("\x03" "123") << Runs{{"3", "fg=#0000ff"}};
    QTest::newRow("extended colour 25") << Wire("\x03" "25word") << Runs{{"word", "fg=#2e0047"}};
    QTest::newRow("extended colour 98") << Wire("\x03" "98w") << Runs{{"w", "fg=#ffffff"}};
    QTest::newRow("99 is the default colour") << Wire("\x03" "4red\x03" "99back") << Runs{{"red", red}, {"back", ""}};
    QTest::newRow("colour at the very end shows nothing") << Wire("x\x03" "15") << Runs{{"x", ""}};
    QTest::newRow("background after a comma")
        << Wire("\x03" "4,12text") << Runs{{"text", "fg=#ff0000 bg=#0000ff"}};
    QTest::newRow("background 99 removes the background")
        << Wire("\x03" "4,2a\x03" "4,99b") << Runs{{"a", "fg=#ff0000 bg=#000080"}, {"b", red}};
    QTest::newRow("comma without digit is text") << Wire("\x03" "4,text") << Runs{{",text", red}};
    QTest::newRow("comma at the very end is text") << Wire("\x03" "4,") << Runs{{",", red}};
    QTest::newRow("bare 0x03 brings colours back")
        << Wire("\x03" "4,2red\x03" "plain") << Runs{{"red", "fg=#ff0000 bg=#000080"}, {"plain", ""}};
    QTest::newRow("0x03 before a letter is not shown") << Wire("\x03" "x") << Runs{{"x", ""}};
    QTest::newRow("0x03 at the very end is not shown") << Wire("ab\x03") << Runs{{"ab", ""}};

    // Resets.
    QTest::newRow("reset turns the bold switch off")
        << Wire("\x02" "x\x0f" "y\x02" "z") << Runs{{"x", "b"}, {"y", ""}, {"z", "b"}};
    QTest::newRow("reset clears every style and colour")
        << Wire("\x02\x1d\x1f\x16\x11\x03" "4,2abc\x0f" "def")
        << Runs{{"abc", "fg=#ff0000 bg=#000080 b i u s m"}, {"def", ""}};
    QTest::newRow("second reset in a row changes nothing more")
        << Wire("\x02" "a\x0f\x0f" "b\x02" "c") << Runs{{"a", "b"}, {"b", ""}, {"c", "b"}};
    QTest::newRow("every reset acts") << Wire("\x02" "a\x0f" "b\x02" "c\x0f" "d")
                                      << Runs{{"a", "b"}, {"b", ""}, {"c", "b"}, {"d", ""}};

    // Other control bytes are not drawn.
    QTest::newRow("other control bytes dropped")
        << Wire("\x01" "ACTION a\x07" "b\x00" "c\t" "d\r\n" "e\x01") << Runs{{"ACTION abcde", ""}};

    // Emoticons.
    QTest::newRow("word then smile") << QStringLiteral("hi :)") << Runs{{"hi ", ""}, Pic(1)};
    QTest::newRow("laughing face alone") << QStringLiteral(":))") << Runs{Pic(2)};
    QTest::newRow("laughing face then bracket") << QStringLiteral(":)))") << Runs{Pic(2), {")", ""}};
    QTest::newRow("wink") << QStringLiteral(";)") << Runs{Pic(3)};
    QTest::newRow("surprised either case") << QStringLiteral(":O:o") << Runs{Pic(4), Pic(4)};
    QTest::newRow("tongue either case") << QStringLiteral(":P:p") << Runs{Pic(5), Pic(5)};
    QTest::newRow("crying") << QStringLiteral("oh :(") << Runs{{"oh ", ""}, Pic(6)};
    QTest::newRow("heart either case") << QStringLiteral("(H)(h)") << Runs{Pic(7), Pic(7)};
    QTest::newRow("bracketed set") << QStringLiteral("(u)(U)(f)(F)(k)(K)")
                                   << Runs{Pic(8), Pic(8), Pic(9), Pic(9), Pic(10), Pic(10)};
    QTest::newRow("picker's heart text") << QStringLiteral("(h))") << Runs{Pic(7), {")", ""}};
    QTest::newRow("unknown bracket is text") << QStringLiteral("(x)") << Runs{{"(x)", ""}};
    QTest::newRow("colon at the end is text") << QStringLiteral("ratio:") << Runs{{"ratio:", ""}};
    QTest::newRow("cut-off bracket is text") << QStringLiteral("a (h") << Runs{{"a (h", ""}};
    QTest::newRow("emoticon between styled text")
        << Wire("\x02" "a:)b") << Runs{{"a", "b"}, Pic(1), {"b", "b"}};
    QTest::newRow("colour digits are not a smile")
        << Wire("\x03" "4:)") << Runs{Pic(1)};

    QTest::newRow("styles left on at the end")
        << Wire("\x02\x1d\x1f\x16\x11\x03" "4,2abc") << Runs{{"abc", "fg=#ff0000 bg=#000080 b i u s m"}};
    QTest::newRow("no new line from within the text")
        << QStringLiteral(u"a\u2029b\u2028c\ufdd0d") << Runs{{"a b c d", ""}};
    QTest::newRow("object character is just text") << QStringLiteral(u"a\ufffcb") << Runs{{QStringLiteral(u"a\ufffcb"), ""}};
    QTest::newRow("non-ASCII and odd nicks")
        << QStringLiteral(u"Grüße ☺ [nick]\\^{}|") << Runs{{QStringLiteral(u"Grüße ☺ [nick]\\^{}|"), ""}};
}

void TestRenderer::rendersRuns()
{
    QFETCH(QString, text);
    QFETCH(Runs, expected);
    for (const RenderMode mode : {RenderMode::Incoming, RenderMode::Echo}) {
        TranscriptView view;
        RenderFormatted(view, text, mode);
        // Whatever the text left switched on, the next insert is plain black.
        SetSelText(view, QStringLiteral("\n"));
        Runs actual = RunsOf(*TranscriptDocument(view));
        actual.removeLast();
        if (actual != expected)
            QFAIL(qPrintable(QStringLiteral("mode %1\n   actual: %2\n expected: %3")
                                 .arg(mode == RenderMode::Echo ? "echo" : "incoming", Describe(actual),
                                      Describe(expected))));
    }
}

void TestRenderer::keepsAttributesNoByteChanged()
{
    // Switches start at 0 in every call, but what the caller set stays in
    // force until a byte changes it: the first 0x1D finds italic already on.
    TranscriptView view;
    SetSelItalic(view, true);
    SetSelColor(view, QColor(0x80, 0x00, 0x80));
    RenderFormatted(view, Wire("a\x02" "b\x1d" "c\x1d" "d"), RenderMode::Incoming);
    QCOMPARE(RunsOf(*TranscriptDocument(view)),
             (Runs{{"a", "fg=#800080 i"}, {"bc", "fg=#800080 b i"}, {"d", "fg=#800080 b"}}));
}

void TestRenderer::writesNoteStyles_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<Runs>("expected");

    QTest::newRow("system note") << "system"
                                 << Runs{{"Talvessa: ", "fg=#800000 b"}, {"Please join a room first", "fg=#ff0000"},
                                         {"\n", ""}};
    QTest::newRow("own line") << "own"
                              << Runs{{"me: ", "fg=#0000ff b"}, {"hi ", ""}, {"red", "fg=#ff0000 b"}, {"\n", ""}};
    QTest::newRow("action line") << "action" << Runs{{"me is dancing", "fg=#800080 b i"}, {"\n", ""}};
    QTest::newRow("warning note") << "warning" << Runs{{"Careful", "fg=#ff0000 b i"}, {"\n", ""}};
    // Each line starts plain: nothing of the line before carries over.
    QTest::newRow("system note after an action line is upright")
        << "action+system"
        << Runs{{"me is dancing", "fg=#800080 b i"}, {"\n", ""}, {"Talvessa: ", "fg=#800000 b"},
                {"Please join a room first", "fg=#ff0000"}, {"\n", ""}};
}

void TestRenderer::writesNoteStyles()
{
    QFETCH(QString, entry);
    QFETCH(Runs, expected);
    TranscriptView view;
    for (const QString& step : entry.split(u'+')) {
        if (step == u"system")
            WriteSystemNote(view, QStringLiteral("Please join a room first"));
        else if (step == u"own")
            WriteOwnLine(view, QStringLiteral("me"), Wire("hi \x02\x03" "4red"));
        else if (step == u"action")
            WriteActionLine(view, QStringLiteral("me"), QStringLiteral("is dancing"));
        else if (step == u"warning")
            WriteWarningNote(view, QStringLiteral("Careful"));
    }
    const Runs actual = RunsOf(*TranscriptDocument(view));
    QVERIFY2(actual == expected, qPrintable(Describe(actual)));
}

void TestRenderer::echoShutsInputOnlyWhileDrawing_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("enabledWhileDrawing");
    QTest::newRow("echo") << int(RenderMode::Echo) << false;
    QTest::newRow("incoming") << int(RenderMode::Incoming) << true;
}

void TestRenderer::echoShutsInputOnlyWhileDrawing()
{
    QFETCH(int, mode);
    QFETCH(bool, enabledWhileDrawing);
    TranscriptView view;
    QList<bool> seen;
    connect(&view, &TranscriptView::Change, this, [&] { seen << view.Input().Enabled(); });
    RenderFormatted(view, QStringLiteral("text :) more"), RenderMode(mode));
    QCOMPARE(seen, QList<bool>{enabledWhileDrawing});
    QVERIFY(view.Input().Enabled());
}

void TestRenderer::oneChangePerRenderedText()
{
    TranscriptView view;
    QSignalSpy changes(&view, &TranscriptView::Change);
    RenderFormatted(view, Wire("a\x02" "b:)c\x03" "4d(h)e\x0f" "f"), RenderMode::Incoming);
    QCOMPARE(changes.count(), 1);
    RenderFormatted(view, QString(), RenderMode::Incoming);
    QCOMPARE(changes.count(), 1);  // nothing changed, nothing reported
    SetSelText(view, QStringLiteral("x"));
    QCOMPARE(changes.count(), 2);
}

void TestRenderer::leavesClipboardAndUserSelectionAlone()
{
    TranscriptView view;
    SetSelText(view, QStringLiteral("copy this line\n"));
    view.Select(5, 9);
    QApplication::clipboard()->setText(QStringLiteral("what the user copied"));

    MoveToAppendPosition(view);
    RenderFormatted(view, QStringLiteral("pictures :) (h) ;)"), RenderMode::Incoming);
    WriteOwnLine(view, QStringLiteral("me"), QStringLiteral(":("));

    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("what the user copied"));
    QCOMPARE(view.Selection().Text(), QStringLiteral("this"));
}

void TestRenderer::picturesAreDistinct()
{
    for (int n = 1; n <= kEmoticonCount; ++n) {
        const QImage picture = EmoticonPicture(n);
        QVERIFY2(picture.width() >= 13 && picture.width() <= 21, qPrintable(QString::number(n)));
        QVERIFY(picture.height() >= 12 && picture.height() <= 21);
        QVERIFY(picture.hasAlphaChannel());
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);  // transparent corner
        QCOMPARE(EmoticonPictureName(n), QStringLiteral("Image%1").arg(n));
        for (int m = 1; m < n; ++m)
            QVERIFY2(EmoticonPicture(m) != picture, qPrintable(QStringLiteral("%1 == %2").arg(m).arg(n)));
    }
    QVERIFY(EmoticonPicture(0).isNull());
    QVERIFY(EmoticonPicture(11).isNull());
}

void TestRenderer::caretAndLength()
{
    TranscriptView view;
    QCOMPARE(view.TextLength(), 0);
    SetSelText(view, QStringLiteral("ab\ncd"));
    QCOMPARE(view.TextLength(), 5);
    QCOMPARE(SelStart(view), 5);
    QCOMPARE(view.Store().Count(), 2);
    InsertPicture(view, EmoticonPicture(1));
    QCOMPARE(view.TextLength(), 6);  // a picture is one character
    SetSelStart(view, 1);
    SetSelText(view, QStringLiteral("X"));
    QCOMPARE(view.toPlainText().left(5), QStringLiteral("aXb\nc"));
    QCOMPARE(SelStart(view), 2);
    SetSelStart(view, 1000);
    QCOMPARE(SelStart(view), view.TextLength());
    SetSelStart(view, -4);
    QCOMPARE(SelStart(view), 0);
}

void TestRenderer::typedCharactersAreOfferedAndDiscarded()
{
    TranscriptView view;
    SetSelText(view, QStringLiteral("text"));
    QString offered;
    bool keep = false;
    connect(&view, &TranscriptView::KeyPress, this, [&](QChar key, bool& discard) {
        offered += key;
        if (keep)
            discard = false;
    });
    QTest::keyClicks(&view, QStringLiteral("ab"));
    QCOMPARE(offered, QStringLiteral("ab"));
    QCOMPARE(view.toPlainText(), QStringLiteral("text"));
    keep = true;
    QTest::keyClicks(&view, QStringLiteral("c"));
    QCOMPARE(view.toPlainText(), QStringLiteral("textc"));
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Delete);
    QCOMPARE(view.toPlainText(), QStringLiteral("textc"));
    // With input shut, keys are not even offered.
    view.Input().SetEnabled(false);
    QTest::keyClicks(&view, QStringLiteral("de"));
    QCOMPARE(offered, QStringLiteral("abc"));
}

void TestRenderer::copiesSelection()
{
    TranscriptView view;
    SetSelText(view, QStringLiteral("hello world"));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->clear();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hello world"));
}

void TestRenderer::batchDefersChangeAndScroll()
{
    TranscriptView view;
    view.resize(300, 120);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy changes(&view, &TranscriptView::Change);
    view.BeginBatch();
    view.BeginBatch();
    for (int i = 0; i < 200; ++i)
        SetSelText(view, QStringLiteral("line %1\n").arg(i));
    view.ScrollCaretIntoView();
    view.EndBatch();
    QCOMPARE(changes.count(), 0);  // the inner batch ended, the outer one is open
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    view.EndBatch();
    QCOMPARE(changes.count(), 1);
    QVERIFY(view.verticalScrollBar()->maximum() > 0);
    QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    view.EndBatch();  // an unmatched end does nothing
    QCOMPARE(changes.count(), 1);
}

void TestRenderer::scrollsCaretIntoView()
{
    TranscriptView view;
    view.resize(300, 120);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (int i = 0; i < 100; ++i) {
        SetSelText(view, QStringLiteral("line %1 ").arg(i));
        InsertPicture(view, EmoticonPicture(1 + i % kEmoticonCount));
        SetSelText(view, QStringLiteral("\n"));
    }
    const auto caretShown = [&view] {
        // The empty line after the last line break is not shown: the caret there is at the end.
        const int line = std::min(view.Store().LineAt(SelStart(view)), view.Scroller().ShownCount() - 1);
        for (const auto& row : view.Scroller().Shown())
            if (row.line == line)
                return row.y >= 0 && row.y + 10 <= view.viewport()->height();
        return false;
    };
    for (const int position : {view.TextLength(), 40, view.TextLength() - 300, 0, view.TextLength() / 2}) {
        SetSelStart(view, position);
        view.ScrollCaretIntoView();
        QVERIFY2(caretShown(), qPrintable(QString::number(position)));
    }
}

void TestRenderer::saveToUnwritablePathThrows()
{
    TranscriptView view;
    SetSelText(view, QStringLiteral("x"));
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/missing/chat.rtf");
    try {
        SaveTranscriptRtf(view, path);
        QFAIL("no error for a folder that does not exist");
    } catch (const std::runtime_error& error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(path), error.what());
    }
}

QTEST_MAIN(TestRenderer)
#include "tst_renderer.moc"
