// The room list window as far as the shell uses it: its controls, the server
// panel, the two load buttons, clearing rows, the log, and that it cannot close.
#include "transcript/time_stamps.h"
#include "transcript/transcript_view.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/room_window.h"
#include "events/event_router.h"
#include "protocol/irc/irc_message.h"
#include "protocol/stream/line_connection.h"
#include "shell/main_window.h"
#include "side/room_list_model.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"
#include "support/test_session.h"
#include "support/window_controls.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeView>
#include <QtTest>

namespace {

// Every row as "name|topic|chatters", in list order, once the view has them.
QStringList Rows(RoomListWindow& form)
{
    form.Model().Flush();
    QStringList out;
    const QAbstractItemModel* model = Control<QTreeView>(form, "roomTable")->model();
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data().toString() + u'|' + model->index(r, 1).data().toString() + u'|' +
                   model->index(r, 2).data().toString();
    return out;
}

void SelectRow(RoomListWindow& form, int row)
{
    form.Model().Flush();
    const QModelIndex at = Control<QTreeView>(form, "roomTable")->model()->index(row, 0);
    Control<QTreeView>(form, "roomTable")->setCurrentIndex(at);
    Control<QTreeView>(form, "roomTable")->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace

class TestRoomListWindow : public QObject {
    Q_OBJECT
private slots:
    void controls();
    void serverPanel();
    void loadButtons_data();
    void loadButtons();
    void rowsKeepArrivalOrderUntilCleared();
    void columnClickSorts_data();
    void columnClickSorts();
    void doubleClickJoinsOrBringsToFront_data();
    void doubleClickJoinsOrBringsToFront();
    void joinFromRowKeepsServerBytes_data();
    void joinFromRowKeepsServerBytes();
    void logBatchKeepsOrder();
    void logOnlyGrows();
    void logCopiesAndStampsAsTranscripts();
    void refusesToClose();
};

void TestRoomListWindow::controls()
{
    RoomListWindow form;
    QTreeView* list = form.findChild<QTreeView*>("roomTable");
    QVERIFY(list);
    const QAbstractItemModel* model = list->model();
    QCOMPARE((QStringList{model->headerData(0, Qt::Horizontal).toString(), model->headerData(1, Qt::Horizontal).toString(),
                          model->headerData(2, Qt::Horizontal).toString()}),
             (QStringList{"Room Name", "Topic", "Chatters"}));
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    // The log is read-only: what is typed into it goes nowhere.
    form.AppendLogLine("kept");
    QTest::keyClicks(Control<TranscriptView>(form, "serverLog"), "typed");
    QCOMPARE(Control<TranscriptView>(form, "serverLog")->toPlainText(), QStringLiteral("kept"));
    QVERIFY(Control<QFrame>(form, "serverPanel")->isHidden());
    QCOMPARE(Control<QLineEdit>(form, "roomFilterLine")->text(), QStringLiteral("a"));
}

void TestRoomListWindow::serverPanel()
{
    RoomListWindow form;
    form.show();
    QVERIFY(!Control<QFrame>(form, "serverPanel")->isVisible());
    form.ShowServerPanel();
    QVERIFY(Control<QFrame>(form, "serverPanel")->isVisible());
    QVERIFY(Control<QTreeView>(form, "roomTable")->geometry().contains(Control<QFrame>(form, "serverPanel")->geometry().topLeft()));  // floats over the list
    form.SetTotalChannels("12");
    form.SetTotalUsers("345");
    QCOMPARE(Control<QLineEdit>(form, "roomCountBox")->text(), QStringLiteral("12"));
    QCOMPARE(Control<QLineEdit>(form, "userCountBox")->text(), QStringLiteral("345"));
    QTest::mouseClick(Control<QToolButton>(form, "closePanelButton"), Qt::LeftButton);
    QVERIFY(!Control<QFrame>(form, "serverPanel")->isVisible());
}

void TestRoomListWindow::loadButtons_data()
{
    QTest::addColumn<bool>("byLetters");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("line");
    QTest::newRow("full list, the totals asked again") << false << "a" << "LIST|lusers";
    QTest::newRow("starting with the default") << true << "a" << "LIST #a*";
    QTest::newRow("starting with two letters") << true << "ge" << "LIST #ge*";
    QTest::newRow("empty field") << true << "" << "LIST #*";
}

void TestRoomListWindow::loadButtons()
{
    QFETCH(bool, byLetters);
    QFETCH(QString, letters);
    QFETCH(QString, line);
    ScriptedServer server;
    LineConnection connection;
    connection.SetHost("127.0.0.1");
    connection.SetPort(server.Port());
    connection.Connect();
    RoomListWindow form;
    form.show();
    form.SetConnection(&connection);
    form.AddRoomRow("old ", "", "1 ");
    form.ShowServerPanel();
    Control<QLineEdit>(form, "roomFilterLine")->setText(letters);
    QTest::mouseClick(byLetters ? Control<QPushButton>(form, "loadListButton") : Control<QPushButton>(form, "loadFullListButton"), Qt::LeftButton);
    const QStringList lines = line.split(u'|');
    QVERIFY(server.WaitForReceived(lines.last().toStdString(), 2000));
    std::vector<std::string> expected;
    for (const QString& each : lines) expected.push_back(each.toStdString());
    QCOMPARE(server.Received(), expected);
    QVERIFY(!Control<QFrame>(form, "serverPanel")->isVisible());
    QCOMPARE(form.RowCount(), 0);
}

void TestRoomListWindow::rowsKeepArrivalOrderUntilCleared()
{
    RoomListWindow form;
    form.AddRoomRow("zeta ", "last topic", "9 ");
    form.AddRoomRow("alpha ", "first topic", "12 ");
    QCOMPARE(form.RowCount(), 2);
    QTRY_COMPARE(Control<QTreeView>(form, "roomTable")->model()->rowCount(), 2);  // shown at the next turn of the event loop
    QCOMPARE(Rows(form), (QStringList{"zeta |last topic|9 ", "alpha |first topic|12 "}));
    form.AddRoomRow("late ", "", "1 ");
    form.ClearRows();  // also the row not shown yet
    QCOMPARE(Rows(form), QStringList());
}

void TestRoomListWindow::columnClickSorts_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("names");  // the rows' names after the sort
    // Rows (name, topic, chatters): see columnClickSorts.
    QTest::newRow("name ignores the case of A to Z") << 0 << QStringList{"alpha ", "Beta ", "beta ", "zeta ", "_x "};
    QTest::newRow("topic") << 1 << QStringList{"_x ", "zeta ", "Beta ", "beta ", "alpha "};
    QTest::newRow("chatters as numbers, others last") << 2 << QStringList{"beta ", "zeta ", "Beta ", "_x ", "alpha "};
}

void TestRoomListWindow::columnClickSorts()
{
    QFETCH(int, column);
    QFETCH(QStringList, names);
    RoomListWindow form;
    form.AddRoomRow("zeta ", "B topic", "20 ");
    form.AddRoomRow("Beta ", "c topic", "100 ");
    form.AddRoomRow("beta ", "C topic", "3 ");
    form.AddRoomRow("alpha ", "x", "many ");
    form.AddRoomRow("_x ", "A topic", "");
    for (int click = 0; click < 2; ++click) {  // a second click sorts ascending again
        Control<QTreeView>(form, "roomTable")->header()->sectionClicked(column);
        QStringList sorted;
        for (const QString& row : Rows(form)) sorted << row.section(u'|', 0, 0);
        QCOMPARE(sorted, names);
        QCOMPARE(form.SortColumn(), column);
    }
    form.AddRoomRow("aaa ", "", "1 ");  // arrives after the sort: at the end
    QCOMPARE(Rows(form).last(), QStringLiteral("aaa ||1 "));
}

void TestRoomListWindow::doubleClickJoinsOrBringsToFront_data()
{
    QTest::addColumn<QString>("openTitle");  // a room window open before the double-click
    QTest::addColumn<bool>("inRoom");        // the server listed the user in it
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<int>("windows");        // room windows afterwards
    QTest::newRow("closed room") << QString() << false << QStringList{"join #lobby "} << 1;
    QTest::newRow("open room") << "lobby " << true << QStringList() << 1;
    QTest::newRow("open from the selector, no trailing space") << "lobby" << true << QStringList() << 1;
    QTest::newRow("open, other letter case") << "LOBBY" << true << QStringList() << 1;
    QTest::newRow("open, its join refused") << "lobby" << false << QStringList{"join #lobby"} << 1;
}

void TestRoomListWindow::doubleClickJoinsOrBringsToFront()
{
    QFETCH(QString, openTitle);
    QFETCH(bool, inRoom);
    QFETCH(QStringList, sent);
    QFETCH(int, windows);
    ScriptedServer server;
    MainWindow frame;
    frame.SetCurrentNick(QStringLiteral("me"));
    frame.Connection().SetHost("127.0.0.1");
    frame.Connection().SetPort(server.Port());
    frame.Connection().Connect();
    frame.show();
    RoomWindow* open = nullptr;
    if (!openTitle.isEmpty()) {
        open = frame.OpenRoomWindow(openTitle);
        if (inRoom) open->Model().AddMember(QStringLiteral("me"));
        frame.NewRoomWindow();  // in front of it
        frame.Connection().WriteLine("opened");
        QVERIFY(server.WaitForReceived("opened", 2000));
    }
    RoomListWindow& form = *frame.RoomList();
    form.AddRoomRow("other ", "", "1 ");
    form.AddRoomRow("lobby ", "topic ", "12 ");
    form.onRoomDoubleClicked();  // nothing selected: nothing happens
    SelectRow(form, 1);
    form.onRoomDoubleClicked();
    frame.Connection().WriteLine("marker");
    QVERIFY(server.WaitForReceived("marker", 2000));
    std::vector<std::string> received = server.Received();
    received.pop_back();
    const auto opened = std::find(received.begin(), received.end(), "opened");
    if (opened != received.end()) received.erase(received.begin(), opened + 1);
    QStringList lines;
    for (const std::string& l : received) lines << QString::fromStdString(l);
    QCOMPARE(lines, sent);
    int rooms = 0;
    for (QWidget* child : frame.ChildWindows()) rooms += qobject_cast<RoomWindow*>(child) && child->windowTitle().startsWith("lobby", Qt::CaseInsensitive);
    QCOMPARE(rooms, windows);
    if (open) QCOMPARE(frame.CurrentChild(), open);
}

void TestRoomListWindow::joinFromRowKeepsServerBytes_data()
{
    QTest::addColumn<QByteArray>("name");  // as the 322 reply carries it
    QTest::addColumn<QString>("title");    // the row's and the window's text
    QTest::newRow("plain") << QByteArray("#lobby") << "lobby ";
    QTest::newRow("Latin-1 byte stays Latin-1") << QByteArray("#caf\xe9") << QString::fromUtf8("café ");
    QTest::newRow("bold code kept on the wire") << QByteArray("#\x02x") << "x ";
    QTest::newRow("bell kept on the wire") << QByteArray("#a\x07" "b") << "a b ";
    QTest::newRow("UTF-8 name") << QByteArray("#\xc3\xa9t\xc3\xa9") << QString::fromUtf8("été ");
}

void TestRoomListWindow::joinFromRowKeepsServerBytes()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, title);
    ScriptedServer server;
    MainWindow frame;
    frame.Connection().SetHost("127.0.0.1");
    frame.Connection().SetPort(server.Port());
    frame.Connection().Connect();
    frame.show();
    IrcMessage reply;
    reply.ParseLine((":srv 322 me " + name + " 4 :topic").toStdString());
    RouteLine(TestSession(frame), reply);
    RoomListWindow& form = *frame.RoomList();
    SelectRow(form, 0);
    QCOMPARE(form.Model().Row(0).name, title);
    form.onRoomDoubleClicked();
    auto* window = qobject_cast<RoomWindow*>(frame.CurrentChild());
    QVERIFY(window);
    QCOMPARE(window->Title(), title);
    // What the server sends about the room finds the window by its bytes.
    IrcMessage message;
    message.ParseLine((":bob!b@h PRIVMSG " + name + " :hello there").toStdString());
    RouteLine(TestSession(frame), message);
    QVERIFY(window->Transcript().toPlainText().contains(QStringLiteral("hello there")));
    // The lines the window sends carry the same bytes.
    InputLine(*window)->setText(QStringLiteral("hi"));
    QTest::keyClick(InputLine(*window), Qt::Key_Return);
    frame.Connection().WriteLine("marker");
    QVERIFY(server.WaitForReceived("marker", 2000));
    const std::vector<std::string> got = server.Received();
    QCOMPARE(QByteArray::fromStdString(got.at(0)), "join " + name + ' ');
    QCOMPARE(QByteArray::fromStdString(got.at(1)), "privmsg " + name + "  :hi");  // the title's trailing space, as always
}

void TestRoomListWindow::logBatchKeepsOrder()
{
    RoomListWindow form;
    form.AppendLogLine("before");
    form.BeginLogBatch();
    form.AppendLogLine("one");
    form.AppendLogLines({"two", "three"});
    QCOMPARE(Control<TranscriptView>(form, "serverLog")->toPlainText(), QStringLiteral("before"));  // held until the batch ends
    form.EndLogBatch();
    form.AppendLogLine("after");
    QCOMPARE(Control<TranscriptView>(form, "serverLog")->toPlainText(), QStringLiteral("before\none\ntwo\nthree\nafter"));
}

void TestRoomListWindow::logOnlyGrows()
{
    RoomListWindow form;
    form.AppendLogLine("one");
    form.AppendLogLines({"two", "three"});
    form.AppendLogLines({});
    form.ClearRows();
    QCOMPARE(Control<TranscriptView>(form, "serverLog")->toPlainText(), QStringLiteral("one\ntwo\nthree"));
    // Formatting codes of server lines are not shown.
    form.AppendLogLine(QStringLiteral(u"\u0002bold\u0002 \u00034,1red"));
    form.AppendLogLines({QStringLiteral(u"\u001fun\u000fder")});
    QCOMPARE(Control<TranscriptView>(form, "serverLog")->toPlainText(), QStringLiteral("one\ntwo\nthree\nbold red\nunder"));
    // A line of formatting codes alone has nothing to show, and is not added.
    form.AppendLogLine(QStringLiteral(u"\u0002\u0002 \u00034\u000f"));
    form.AppendLogLines({QStringLiteral(u"\u001f\u001f"), QStringLiteral("last")});
    QCOMPARE(Control<TranscriptView>(form, "serverLog")->toPlainText(), QStringLiteral("one\ntwo\nthree\nbold red\nunder\nlast"));
}

// The log is a transcript like a room's: the user's copy and the time
// stamps of the options are the same.
void TestRoomListWindow::logCopiesAndStampsAsTranscripts()
{
    RoomListWindow form;
    form.AppendLogLines({"one", "two"});
    TranscriptView* log = Control<TranscriptView>(form, "serverLog");
    QTest::keyClick(log, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->clear();
    QTest::keyClick(log, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one\ntwo"));
    const TimeStampFormat before = TimeStampSetting::Instance().Format();
    TimeStampSetting::Instance().SetFormat(TimeStampFormat::Seconds);
    QCOMPARE(log->TimeStamps(), TimeStampFormat::Seconds);
    TimeStampSetting::Instance().SetFormat(before);
}

void TestRoomListWindow::refusesToClose()
{
    RoomListWindow form;
    form.show();
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
}

QTEST_MAIN(TestRoomListWindow)
#include "tst_room_list_window.moc"
