// The style bar and input line: building the outgoing chat line, the
// emoticon picker, and multi-line pastes.
#include "chat/input_bar.h"
#include "chat/irc_colors.h"
#include "chat/renderer.h"
#include "transcript/transcript_view.h"
#include "support/window_controls.h"
#include "support/transcript_text.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

class TestInputLine : public QObject {
    Q_OBJECT

private slots:
    void buildsLineText_data();
    void buildsLineText();
    void builtLineRendersAsTyped_data();
    void builtLineRendersAsTyped();
    void startsUnstyled();
    void colourListShowsWholeNames();
    void boxesSizedAsTheirEntriesNeed_data();
    void boxesSizedAsTheirEntriesNeed();
    void appliesControlsToInput();
    void emoticonPickerInserts_data();
    void emoticonPickerInserts();
    void flattensPastedLines_data();
    void flattensPastedLines();
    void enterIsReported();
};

void TestInputLine::buildsLineText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("colour");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strike");
    QTest::addColumn<QString>("line");

    QTest::newRow("nothing chosen") << "hi" << -1 << false << false << false << "hi";
    QTest::newRow("White adds nothing") << "hi" << 0 << false << false << false << "hi";
    QTest::newRow("Red and bold") << "hi" << 4 << true << false << false << QStringLiteral(u"\u0002\u00034hi");
    QTest::newRow("Light Grey") << "word" << 15 << false << false << false << QStringLiteral(u"\u000315word");
    QTest::newRow("all styles in order")
        << "x" << 12 << true << true << true << QStringLiteral(u"\u0016\u001f\u0002\u000312x");
    QTest::newRow("styles without colour") << "x" << -1 << false << true << true << QStringLiteral(u"\u0016\u001fx");
    QTest::newRow("digit after a one-digit colour")
        << "5 apples" << 2 << false << false << false << QStringLiteral(u"\u000302" "5 apples");
    QTest::newRow("digit after a two-digit colour")
        << "5 apples" << 12 << false << false << false << QStringLiteral(u"\u0003125 apples");
    QTest::newRow("digit without colour") << "5 apples" << 0 << true << false << false
                                          << QStringLiteral(u"\u00025 apples");
    QTest::newRow("comma and digit after a colour")
        << ",5 ok" << 4 << false << false << false << QStringLiteral(u"\u00034\u0002\u0002,5 ok");
    QTest::newRow("comma and letter after a colour")
        << ",ok" << 4 << false << false << false << QStringLiteral(u"\u00034,ok");
    QTest::newRow("slash is plain text") << "/join #x" << -1 << false << false << false << "/join #x";
    QTest::newRow("empty line with colour") << "" << 3 << false << false << false << QStringLiteral(u"\u00033");
    QTest::newRow("line breaks become spaces")
        << "one\ntwo\r\nthree\rfour" << -1 << false << false << false << "one two three four";
    QTest::newRow("break before a digit")
        << "\n5" << 2 << false << false << false << QStringLiteral(u"\u00032 5");
}

void TestInputLine::buildsLineText()
{
    QFETCH(QString, typed);
    QFETCH(int, colour);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    QFETCH(bool, strike);
    QFETCH(QString, line);
    QCOMPARE(BuildLineText(typed, colour, bold, underline, strike), line);
}

void TestInputLine::builtLineRendersAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("colour");
    QTest::newRow("digit after Blue") << "5 apples" << 2;
    QTest::newRow("two digits after Blue") << "42 is it" << 2;
    QTest::newRow("comma and digit after Red") << ",5 ok" << 4;
    QTest::newRow("digit after Light Grey") << "7up" << 15;
}

void TestInputLine::builtLineRendersAsTyped()
{
    // What the user typed is what everyone reads, in the chosen colour.
    QFETCH(QString, typed);
    QFETCH(int, colour);
    TranscriptView view;
    RenderFormatted(view, BuildLineText(typed, colour, true, false, false), RenderMode::Echo);
    QCOMPARE(view.toPlainText(), typed);
    const QTextCharFormat format = TranscriptFormatAt(view, 1);
    QCOMPARE(format.foreground().color(), IrcColor(colour));
    QCOMPARE(format.fontWeight(), int(QFont::Bold));
}

void TestInputLine::startsUnstyled()
{
    InputBar input;
    for (const char* name : {"boldButton", "underlineButton", "strikeButton"}) {
        auto* button = input.findChild<QToolButton*>(QLatin1String(name));
        QVERIFY2(button && button->isCheckable() && !button->isChecked(), name);
    }
    QComboBox* colours = input.findChild<QComboBox*>(QStringLiteral("colourPicker"));
    QVERIFY(colours);
    QCOMPARE(colours->count(), 16);
    QCOMPARE(colours->currentIndex(), -1);
    QCOMPARE(colours->itemText(15), QStringLiteral("Light Grey"));
    QComboBox* icons = input.findChild<QComboBox*>(QStringLiteral("emoticonPicker"));
    QVERIFY(icons);
    QCOMPARE(icons->count(), 10);
    QCOMPARE(icons->currentIndex(), -1);
    QCOMPARE(icons->width(), 51);
    // Nothing picked yet, yet neither box stands empty.
    QVERIFY(!colours->placeholderText().isEmpty() && !icons->placeholderText().isEmpty());
    for (int i = 0; i < icons->count(); ++i)
        QVERIFY(!icons->itemIcon(i).isNull());
    QVERIFY(input.findChild<QLineEdit*>(QStringLiteral("inputLine")));
}

void TestInputLine::colourListShowsWholeNames()
{
    // The box itself may be narrow; its drop-down list shows every name whole.
    InputBar input;
    QComboBox* colours = Control<QComboBox>(input, "colourPicker");
    const QFontMetrics metrics(colours->view()->font());
    int longest = 0;
    for (int i = 0; i < colours->count(); ++i)
        longest = std::max(longest, metrics.horizontalAdvance(colours->itemText(i)));
    input.show();
    colours->showPopup();
    QVERIFY(colours->view()->viewport()->width() >= longest + colours->iconSize().width());
    colours->hidePopup();
}

void TestInputLine::boxesSizedAsTheirEntriesNeed_data()
{
    QTest::addColumn<QString>("change");  // made to the second of three input lines
    for (const char* change : {"none", "list opened", "larger font", "entry added"}) QTest::newRow(change) << change;
}

void TestInputLine::boxesSizedAsTheirEntriesNeed()
{
    // Boxes of one kind share the size worked out for one of them: a box in
    // another state still gets the size its own entries need.
    QFETCH(QString, change);
    InputBar lines[3];
    for (InputBar& line : lines) line.show();
    for (QComboBox* box : {Control<QComboBox>(lines[1], "colourPicker"), Control<QComboBox>(lines[1], "emoticonPicker")}) {
        if (change == QLatin1String("list opened")) {
            box->showPopup();
            box->hidePopup();
        } else if (change == QLatin1String("larger font")) {
            QFont font = box->font();
            font.setPointSize(font.pointSize() * 2);
            box->setFont(font);
        } else if (change == QLatin1String("entry added")) {
            box->addItem(QStringLiteral("a much longer entry than any colour name"));
        }
    }
    for (InputBar& line : lines)
        for (QComboBox* box : {Control<QComboBox>(line, "colourPicker"), Control<QComboBox>(line, "emoticonPicker")}) {
            QCOMPARE(box->sizeHint(), box->QComboBox::sizeHint());
            QCOMPARE(box->minimumSizeHint(), box->QComboBox::minimumSizeHint());
        }
    if (change != QLatin1String("none") && change != QLatin1String("list opened"))
        QVERIFY(Control<QComboBox>(lines[1], "colourPicker")->sizeHint() !=
                Control<QComboBox>(lines[0], "colourPicker")->sizeHint());
}

void TestInputLine::appliesControlsToInput()
{
    InputBar input;
    Control<QComboBox>(input, "colourPicker")->setCurrentIndex(4);
    Control<QToolButton>(input, "boldButton")->click();
    Control<QToolButton>(input, "strikeButton")->click();
    InputLine(input)->setText(QStringLiteral("hi"));
    const QString line = input.ApplyStylesToInput();
    QCOMPARE(line, QStringLiteral(u"\u0016\u0002\u00034hi"));
    // The input line holds exactly what goes out, control bytes included.
    QCOMPARE(InputLine(input)->text(), line);
    // Pressing Enter again after a failed send puts the prefixes in front twice.
    QCOMPARE(input.ApplyStylesToInput(), QStringLiteral(u"\u0016\u0002\u00034\u0016\u0002\u00034hi"));
}

void TestInputLine::emoticonPickerInserts_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("after");

    QTest::newRow("smile at the caret") << "hello " << 6 << 0 << 0 << "hello :)";
    QTest::newRow("heart in the middle") << "ab" << 1 << 0 << 6 << "a(h))b";
    QTest::newRow("replaces the selection") << "I love you" << 2 << 4 << 6 << "I (h)) you";
    QTest::newRow("lips") << "" << 0 << 0 << 9 << "(k)";
    QTest::newRow("surprised in lower case") << "" << 0 << 0 << 3 << ":o";
}

void TestInputLine::emoticonPickerInserts()
{
    QFETCH(QString, before);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(int, entry);
    QFETCH(QString, after);

    InputBar input;
    QSignalSpy sent(&input, &InputBar::EnterPressed);
    InputLine(input)->setText(before);
    if (selectionLength > 0)
        InputLine(input)->setSelection(selectionStart, selectionLength);
    else
        InputLine(input)->setCursorPosition(selectionStart);
    emit Control<QComboBox>(input, "emoticonPicker")->activated(entry);
    QCOMPARE(InputLine(input)->text(), after);
    QCOMPARE(sent.count(), 0);
}

void TestInputLine::flattensPastedLines_data()
{
    QTest::addColumn<QString>("road");  // Ctrl+V, or Paste in the line's context menu
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("handedOn");  // the lines the window is given to send, if any
    QTest::newRow("LF") << "keys" << "one\ntwo" << "say one two" << QStringList();
    QTest::newRow("CR LF counts once") << "keys" << "one\r\ntwo\r\n" << "say one two " << QStringList();
    QTest::newRow("lone CR") << "keys" << "a\rb" << "say a b" << QStringList();
    QTest::newRow("single line") << "keys" << "plain" << "say plain" << QStringList();
    QTest::newRow("menu: three lines stay in the line") << "menu" << "a\nb\r\nc" << "say a b c" << QStringList();
    QTest::newRow("menu: four lines go to the window whole")
        << "menu" << "a\nb\nc\nd" << "" << QStringList{"say a", "b", "c", "d"};
}

void TestInputLine::flattensPastedLines()
{
    QFETCH(QString, road);
    QFETCH(QString, clipboard);
    QFETCH(QString, line);
    QFETCH(QStringList, handedOn);
    InputBar input;
    QSignalSpy pasted(&input, &InputBar::LinesPasted);
    InputLine(input)->setText(QStringLiteral("say "));
    QApplication::clipboard()->setText(clipboard);
    InputLine(input)->setFocus();
    if (road == "keys") {
        QTest::keyClick(InputLine(input), Qt::Key_V, Qt::ControlModifier);
    } else {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(4, 4), InputLine(input)->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(InputLine(input), &click);
        auto* menu = InputLine(input)->findChild<QMenu*>();
        QVERIFY(menu);
        QAction* paste = nullptr;
        for (QAction* action : menu->actions())
            if (action->text().remove(u'&').startsWith(QStringLiteral("Paste"))) paste = action;
        QVERIFY(paste && paste->isEnabled());
        paste->trigger();
        menu->close();
    }
    QCOMPARE(InputLine(input)->text(), line);
    if (!handedOn.isEmpty()) {
        QCOMPARE(pasted.count(), 1);
        QCOMPARE(pasted.first().first().toStringList(), handedOn);
        return;
    }
    QCOMPARE(pasted.count(), 0);
    QCOMPARE(InputLine(input)->cursorPosition(), line.size());
    QTest::keyClicks(InputLine(input), QStringLiteral("!"));
    QCOMPARE(InputLine(input)->text(), line + u'!');
}

void TestInputLine::enterIsReported()
{
    InputBar input;
    QSignalSpy sent(&input, &InputBar::EnterPressed);
    QTest::keyClicks(InputLine(input), QStringLiteral("hello"));
    QTest::keyClick(InputLine(input), Qt::Key_Return);
    QTest::keyClick(InputLine(input), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(sent.count(), 2);
    QCOMPARE(InputLine(input)->text(), QStringLiteral("hello"));  // the window decides what to do with it
}

QTEST_MAIN(TestInputLine)
#include "tst_input_line.moc"
