// The room list window as far as the shell uses it: its controls, the server
// panel, the two load buttons, clearing rows, the log, and that it cannot close.
#include "protocol/line_connection.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

class TestRoomListWindow : public QObject {
    Q_OBJECT
private slots:
    void controls();
    void serverPanel();
    void loadButtons_data();
    void loadButtons();
    void rowsKeepArrivalOrderUntilCleared();
    void logOnlyGrows();
    void refusesToClose();
};

void TestRoomListWindow::controls()
{
    TForm4 form;
    QTreeWidget* list = form.findChild<QTreeWidget*>("RoomList");
    QVERIFY(list);
    const QTreeWidgetItem* header = list->headerItem();
    QCOMPARE((QStringList{header->text(0), header->text(1), header->text(2)}),
             (QStringList{"Room Name", "Topic", "Chatters"}));
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(form.log->isReadOnly());
    QVERIFY(form.serverstat->isHidden());
    QCOMPARE(form.Edit3->text(), QStringLiteral("a"));
}

void TestRoomListWindow::serverPanel()
{
    TForm4 form;
    form.show();
    QVERIFY(!form.serverstat->isVisible());
    form.ShowServerPanel();
    QVERIFY(form.serverstat->isVisible());
    QVERIFY(form.RoomList->geometry().contains(form.serverstat->geometry().topLeft()));  // floats over the list
    form.SetTotalChannels("12");
    form.SetTotalUsers("345");
    QCOMPARE(form.totalchannelstxt->text(), QStringLiteral("12"));
    QCOMPARE(form.totaluserstxt->text(), QStringLiteral("345"));
    QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
    QVERIFY(!form.serverstat->isVisible());
}

void TestRoomListWindow::loadButtons_data()
{
    QTest::addColumn<bool>("byLetters");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("line");
    QTest::newRow("full list") << false << "a" << "LIST";
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
    TForm4 form;
    form.show();
    form.setIdTCPClient(&connection);
    form.AddRoomRow("old ", "", "1 ");
    form.ShowServerPanel();
    form.Edit3->setText(letters);
    QTest::mouseClick(byLetters ? form.Button1 : form.Button6, Qt::LeftButton);
    QVERIFY(server.WaitForReceived(line.toStdString(), 2000));
    QCOMPARE(server.Received(), std::vector<std::string>{line.toStdString()});
    QVERIFY(!form.serverstat->isVisible());
    QCOMPARE(form.RoomList->topLevelItemCount(), 0);
}

void TestRoomListWindow::rowsKeepArrivalOrderUntilCleared()
{
    TForm4 form;
    form.AddRoomRow("zeta ", "last topic", "9 ");
    form.AddRoomRow("alpha ", "first topic", "12 ");
    QCOMPARE(form.RoomList->topLevelItemCount(), 2);
    const QTreeWidgetItem* first = form.RoomList->topLevelItem(0);
    QCOMPARE((QStringList{first->text(0), first->text(1), first->text(2)}), (QStringList{"zeta ", "last topic", "9 "}));
    QCOMPARE(form.RoomList->topLevelItem(1)->text(0), QStringLiteral("alpha "));
    form.ClearRows();
    QCOMPARE(form.RoomList->topLevelItemCount(), 0);
}

void TestRoomListWindow::logOnlyGrows()
{
    TForm4 form;
    form.AppendLogLine("one");
    form.AppendLogLines({"two", "three"});
    form.AppendLogLines({});
    form.ClearRows();
    QCOMPARE(form.log->toPlainText(), QStringLiteral("one\ntwo\nthree"));
    // Formatting codes of server lines are not shown.
    form.AppendLogLine(QStringLiteral(u"\u0002bold\u0002 \u00034,1red"));
    form.AppendLogLines({QStringLiteral(u"\u001fun\u000fder")});
    QCOMPARE(form.log->toPlainText(), QStringLiteral("one\ntwo\nthree\nbold red\nunder"));
}

void TestRoomListWindow::refusesToClose()
{
    TForm4 form;
    form.show();
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
}

QTEST_MAIN(TestRoomListWindow)
#include "tst_room_list_window.moc"
