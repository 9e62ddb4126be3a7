// The frame window's controls and their start state, hints in the status bar,
// the Window menu with its list of child windows, the about box, the Help
// items and the room list window that cannot be closed.
#include "chat/private_window.h"
#include "chat/input_bar.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "events/event_router.h"
#include "shell/about_box.h"
#include "shell/main_window.h"
#include "shell/product_info.h"
#include "shell/shell_test_support.h"
#include "side/invitation_prompt.h"
#include "side/room_list_model.h"
#include "support/connected_frame.h"
#include "support/test_session.h"
#include "support/temp_user_data.h"
#include "side/room_list_window.h"
#include "support/window_controls.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

namespace {

// Receives the addresses that the Help items open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

// A plain child window with a title.
QWidget* Child(const QString& title)
{
    auto* w = new QWidget;
    w->setWindowTitle(title);
    return w;
}

QStringList Texts(const QList<QAction*>& actions)
{
    QStringList out;
    for (QAction* a : actions) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

}  // namespace

class TestFrameWindow : public QObject {
    Q_OBJECT
private slots:
    void menus();
    void statusBarShowsLongHint();
    void serverPresets();
    void windowMenuListsChildren();
    void windowActionsArrangeChildren();
    void roomListWindowCannotBeClosed();
    void aboutBox();
    void helpItemsOpenWebPage();
    void helpItemsWithoutBrowserShowAddress_data();
    void helpItemsWithoutBrowserShowAddress();
    void exitClosesFrame();
    void newChildrenStayInsideTheArea();
    void newChildWhileOneIsMaximised_data();
    void newChildWhileOneIsMaximised();
    void captionFollowsMaximisedChildWhoseTitleEmpties();
    void closingActivatesWindowBefore_data();
    void closingActivatesWindowBefore();
    void roomRoadsFindOpenWindow_data();
    void roomRoadsFindOpenWindow();
};

namespace {

// Opens one child the way a user or a received line does.
QWidget* OpenChild(MainWindow& frame, const QString& how, int n)
{
    const QString name = QStringLiteral("w%1").arg(n);
    if (how == QLatin1String("chat new")) return frame.NewRoomWindow();
    if (how == QLatin1String("room")) return frame.OpenRoomWindow(name);
    if (how == QLatin1String("private from user")) return frame.OpenPrivateWindowFromUser(name);
    // A private window for a received line, made by its handler; "behind":
    // another partner's line follows at once, and that window takes the front.
    const auto receive = [&frame](const QString& from) {
        IrcMessage line;
        line.ParseLine(":" + from.toStdString() + "!u@h PRIVMSG me :hi");
        RouteLine(TestSession(frame), line);
    };
    receive(name);
    if (how.endsWith(QLatin1String("behind"))) receive(name + u'b');
    return frame.PrivateWindowsNamed(name).value(0);
}

QMdiSubWindow* SubOf(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); }

}  // namespace

void TestFrameWindow::newChildrenStayInsideTheArea()
{
    MainWindow frame;
    frame.show();
    const QStringList kinds{"chat new", "private from user", "private for a line", "room"};
    for (int n = 0; n < 16; ++n) {
        QWidget* w = OpenChild(frame, kinds[n % kinds.size()], n);
        const QRect area = frame.MdiArea()->viewport()->rect();
        const QRect placed = SubOf(w)->geometry();
        const bool fits = placed.width() <= area.width() && placed.height() <= area.height();
        QVERIFY2(fits ? area.contains(placed) : placed.topLeft() == QPoint(0, 0),
                 qPrintable(QStringLiteral("window %1 at %2,%3 %4x%5 in %6x%7").arg(n).arg(placed.x()).arg(placed.y())
                                .arg(placed.width()).arg(placed.height()).arg(area.width()).arg(area.height())));
    }
    // Cascaded: the last two windows do not sit on the same spot.
    const QList<QMdiSubWindow*> subs = frame.MdiArea()->subWindowList(QMdiArea::CreationOrder);
    QVERIFY(subs.at(subs.size() - 1)->pos() != subs.at(subs.size() - 2)->pos());
}

void TestFrameWindow::newChildWhileOneIsMaximised_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("maximised");  // in front, so maximised as the one before it was
    QTest::addColumn<QSize>("restored");
    const QSize room(541, 388);
    const QSize partner(PrivateWindow::kWidth, PrivateWindow::kHeight);
    QTest::newRow("chat new") << "chat new" << true << room;
    QTest::newRow("room") << "room" << true << room;
    QTest::newRow("private from user") << "private from user" << true << partner;
    QTest::newRow("private for a line") << "private for a line" << true << partner;
    // The area restores the maximised window it no longer has in front.
    QTest::newRow("private for a line, left behind") << "private for a line, behind" << false << partner;
}

void TestFrameWindow::newChildWhileOneIsMaximised()
{
    QFETCH(QString, how);
    QFETCH(bool, maximised);
    QFETCH(QSize, restored);
    MainWindow frame;
    frame.show();
    QMdiSubWindow* first = SubOf(frame.NewRoomWindow());
    first->showMaximized();
    QWidget* made = OpenChild(frame, how, 1);
    QApplication::processEvents();
    QCOMPARE(SubOf(made)->isMaximized(), maximised);
    if (maximised) {
        // Maximised as the MDI convention has it, and truly filling the
        // area: never a maximised look around a window of its restored size.
        QCOMPARE(SubOf(made)->geometry(), frame.MdiArea()->viewport()->rect());
        SubOf(made)->showNormal();
        QApplication::processEvents();
    }
    // Restored, it has the size of any window of its kind.
    QCOMPARE(SubOf(made)->size(), restored);
}

void TestFrameWindow::captionFollowsMaximisedChildWhoseTitleEmpties()
{
    MainWindow frame;
    frame.show();
    QWidget* room = frame.NewRoomWindow();
    room->setWindowTitle(QStringLiteral("lobby"));
    SubOf(room)->showMaximized();
    frame.MdiArea()->setActiveSubWindow(SubOf(room));
    QTRY_VERIFY(frame.windowTitle().contains(QStringLiteral("lobby")));
    room->setWindowTitle(QString());  // what leaving the room does
    QCOMPARE(frame.windowTitle(), product::kName);
}

void TestFrameWindow::menus()
{
    MainWindow frame;
    QCOMPARE(frame.windowTitle(), QStringLiteral("Talvessa"));
    QCOMPARE(Texts(Control<QMenuBar>(frame, "menuBar")->actions()), (QStringList{"&Chat", "Favorites", "Buddies", "&Window", "&Help"}));
    QCOMPARE(Texts(Control<QMenu>(frame, "chatMenu")->actions()), (QStringList{"New", "-", "&Connect", "-", "Search History...", "Export History...", "-", "Options", "-", "E&xit"}));
    QCOMPARE(Texts(Control<QMenu>(frame, "windowMenu")->actions()),
             (QStringList{"&Cascade", "Tile &Horizontally", "&Tile Vertically", "&Minimize All", "&Arrange", "-",
                          "Show Windows as Ta&bs"}));
    QCOMPARE(Texts(Control<QMenu>(frame, "helpMenu")->actions()),
             (QStringList{"Check for Updated Version", product::kWebSiteName, "-", "&About..."}));
    QVERIFY(Control<QMenu>(frame, "favoritesMenu")->actions().isEmpty());
    QVERIFY(Control<QMenu>(frame, "buddiesMenu")->actions().isEmpty());
    // The window arrangement buttons follow their menu items.
    Control<QAction>(frame, "tileHorizontallyAction")->setEnabled(false);
    QVERIFY(!Control<QToolButton>(frame, "tileHorizontallyButton")->isEnabled());
}

void TestFrameWindow::statusBarShowsLongHint()
{
    MainWindow frame;
    frame.show();
    QCOMPARE(Control<QLabel>(frame, "hintLabel")->width(), 485);
    QCOMPARE(Control<QLabel>(frame, "connectionLabel")->width(), 100);
    QCOMPARE(Control<QWidget>(frame, "ownerPanel")->width(), 50);

    // A tool bar button under the pointer: its tip travels up to the frame.
    QStatusTipEvent overButton(Control<QToolButton>(frame, "roomListButton")->statusTip());
    QApplication::sendEvent(Control<QToolButton>(frame, "roomListButton"), &overButton);
    QCOMPARE(Control<QLabel>(frame, "hintLabel")->text(), QStringLiteral("Fetch Room list"));
    // A menu item: the long part of its hint.
    Control<QAction>(frame, "aboutAction")->showStatusText(Control<QMenuBar>(frame, "menuBar"));
    QCOMPARE(Control<QLabel>(frame, "hintLabel")->text(), QStringLiteral("Displays program information, version number, and copyright"));
    // Nothing with a hint under the pointer: the frame's own.
    QStatusTipEvent leaving{QString()};
    QApplication::sendEvent(frame.MdiArea()->viewport(), &leaving);
    QCOMPARE(Control<QLabel>(frame, "hintLabel")->text(), QStringLiteral("List"));
    QCOMPARE(frame.MdiArea()->viewport()->statusTip(), QStringLiteral("List"));
}

void TestFrameWindow::serverPresets()
{
    MainWindow frame;
    QCOMPARE(Control<QComboBox>(frame, "serverBox")->count(), 6);
    QCOMPARE(Control<QComboBox>(frame, "serverBox")->currentIndex(), 0);
    QCOMPARE(Control<QComboBox>(frame, "serverBox")->currentText(), Control<QComboBox>(frame, "serverBox")->itemText(0));
    QVERIFY(Control<QComboBox>(frame, "serverBox")->isEditable());
    QCOMPARE(Control<QComboBox>(frame, "serverBox")->width(), 233);
    QStringList hosts;
    for (int i = 0; i < Control<QComboBox>(frame, "serverBox")->count(); ++i) hosts << Control<QComboBox>(frame, "serverBox")->itemText(i);
    QCOMPARE(hosts, MainWindow::PresetServers());
    for (const QString& host : hosts) QVERIFY2(host.startsWith("irc.") && !host.contains(':'), qPrintable(host));
}

void TestFrameWindow::windowMenuListsChildren()
{
    MainWindow frame;
    frame.show();
    frame.Windows().Add(Child("lounge"));
    QMdiSubWindow* second = frame.Windows().Add(Child("bob"));
    emit Control<QMenu>(frame, "windowMenu")->aboutToShow();
    QStringList listed = Texts(Control<QMenu>(frame, "windowMenu")->actions()).mid(8);  // after the six items and two separators
    QCOMPARE(listed, (QStringList{"&1 Select a room from below list", "&2 lounge", "&3 bob"}));
    QAction* lounge = Control<QMenu>(frame, "windowMenu")->actions().at(9);
    QVERIFY(!lounge->isChecked());
    QVERIFY(Control<QMenu>(frame, "windowMenu")->actions().at(10)->isChecked());  // the active one
    lounge->trigger();
    QCOMPARE(frame.MdiArea()->activeSubWindow()->widget()->windowTitle(), QStringLiteral("lounge"));

    second->close();
    QTest::qWait(0);
    emit Control<QMenu>(frame, "windowMenu")->aboutToShow();
    listed = Texts(Control<QMenu>(frame, "windowMenu")->actions()).mid(8);
    QCOMPARE(listed, (QStringList{"&1 Select a room from below list", "&2 lounge"}));
}

void TestFrameWindow::windowActionsArrangeChildren()
{
    MainWindow frame;
    frame.resize(900, 700);
    frame.show();
    QMdiSubWindow* a = frame.Windows().Add(Child("a"));
    QMdiSubWindow* b = frame.Windows().Add(Child("b"));
    frame.MdiArea()->subWindowList().first()->showMinimized();  // the room list stays out of the way
    const QRect area = frame.MdiArea()->viewport()->rect();

    Control<QAction>(frame, "tileHorizontallyAction")->trigger();  // strips, one above the other
    QCOMPARE(a->width(), area.width());
    QCOMPARE(b->width(), area.width());
    QVERIFY(a->geometry().bottom() < b->geometry().top());

    QTest::mouseClick(Control<QToolButton>(frame, "tileVerticallyButton"), Qt::LeftButton);  // columns, side by side
    QCOMPARE(a->height(), area.height());
    QVERIFY(a->geometry().right() < b->geometry().left());

    Control<QAction>(frame, "minimizeAllAction")->trigger();
    QVERIFY(a->isMinimized() && b->isMinimized());
    Control<QAction>(frame, "arrangeAction")->trigger();  // minimised ones in a row at the bottom
    QCOMPARE(a->geometry().bottom(), area.bottom());
    QCOMPARE(b->geometry().bottom(), area.bottom());
    QVERIFY(a->x() != b->x());

    Control<QAction>(frame, "cascadeAction")->trigger();
    QVERIFY(Control<QAction>(frame, "cascadeAction")->isEnabled());
}

void TestFrameWindow::roomListWindowCannotBeClosed()
{
    MainWindow frame;
    frame.show();
    QMdiSubWindow* sub = frame.MdiArea()->subWindowList().first();
    QCOMPARE(sub->widget(), static_cast<QWidget*>(frame.RoomList()));
    QVERIFY(!(sub->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(sub->windowFlags() & Qt::WindowSystemMenuHint));  // the styles draw a close button with it
    QVERIFY(!sub->close());
    QTest::qWait(0);
    QCOMPARE(frame.ChildWindows().size(), 1);
    QVERIFY(frame.RoomList()->isVisible());
    QCOMPARE(sub->size(), QSize(544, 430));  // the size it takes whenever it becomes active
}

void TestFrameWindow::aboutBox()
{
    MainWindow frame;
    frame.show();
    QString title;
    QStringList labels;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
        if (!box) return;
        modal = true;
        title = box->windowTitle();
        labels << Control<QLabel>(*box, "productName")->text() << Control<QLabel>(*box, "version")->text();
        QVERIFY(Control<QPushButton>(*box, "okButton")->isDefault());
        QTest::mouseClick(Control<QPushButton>(*box, "okButton"), Qt::LeftButton);
    });
    Control<QAction>(frame, "aboutAction")->trigger();
    QVERIFY(modal);
    QCOMPARE(title, QStringLiteral("About"));
    QCOMPARE(labels, (QStringList{"Talvessa", "Version 2.3"}));
    QCOMPARE(frame.AboutDialog()->size(), QSize(298, 218));
    QCOMPARE(Control<QLabel>(*frame.AboutDialog(), "productName")->font().pixelSize(), 19);
    QVERIFY(Control<QLabel>(*frame.AboutDialog(), "comments")->wordWrap());
    QVERIFY(!Control<QLabel>(*frame.AboutDialog(), "copyright")->text().isEmpty());
    QCOMPARE(frame.AboutDialog(), frame.AboutDialog());  // made once, reused
}

void TestFrameWindow::helpItemsOpenWebPage()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    MainWindow frame;
    Control<QAction>(frame, "updatesAction")->trigger();
    Control<QAction>(frame, "webSiteAction")->trigger();
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl(product::kWebAddress), QUrl(product::kWebAddress)}));
}

void TestFrameWindow::helpItemsWithoutBrowserShowAddress_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("check for updates") << "updatesAction";
    QTest::newRow("web site") << "webSiteAction";
}

void TestFrameWindow::helpItemsWithoutBrowserShowAddress()
{
    // No handler and no browser (the offscreen platform opens nothing): the
    // user is told the address instead of nothing happening.
    QFETCH(QString, item);
    PromptRecorder prompts;
    MainWindow frame;
    QAction* action = frame.findChild<QAction*>(item);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(prompts.Kinds(), QStringList{"information"});
    QVERIFY2(prompts.Texts().constFirst().contains(product::kWebAddress), qPrintable(prompts.Texts().constFirst()));
}

void TestFrameWindow::exitClosesFrame()
{
    for (int viaButton = 0; viaButton < 2; ++viaButton) {
        MainWindow frame;
        frame.show();
        if (viaButton)
            QTest::mouseClick(Control<QToolButton>(frame, "exitButton"), Qt::LeftButton);
        else
            Control<QAction>(frame, "exitAction")->trigger();
        QVERIFY(!frame.isVisible());
    }
}

void TestFrameWindow::closingActivatesWindowBefore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("how");
    QTest::newRow("private, close box") << "private" << "close box";
    QTest::newRow("private, Ctrl+W") << "private" << "ctrl+w";
    QTest::newRow("private, Ignore button") << "private" << "ignore";
    QTest::newRow("room, close box") << "room" << "close box";
    QTest::newRow("room, Ctrl+W") << "room" << "ctrl+w";
}

void TestFrameWindow::closingActivatesWindowBefore()
{
    QFETCH(QString, kind);
    QFETCH(QString, how);
    PromptRecorder prompts;
    TempUserData userData;  // the Ignore button writes the account's ignore list
    MainWindow frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    const auto open = [&](const QString& name) -> QWidget* {
        if (kind == QLatin1String("room")) {
            QWidget* room = frame.NewRoomWindow();
            room->setWindowTitle(name);
            return room;
        }
        return frame.OpenPrivateWindowFromUser(name);
    };
    QWidget* before = open(QStringLiteral("amy"));
    open(QStringLiteral("bob"));
    QWidget* closing = open(QStringLiteral("cid"));
    // The user goes to amy, then to cid, and closes cid: amy, made first and
    // neither the last made nor the room list, is where the user was.
    frame.BringToFront(before);
    frame.BringToFront(closing);
    QCOMPARE(frame.CurrentChild(), closing);
    if (how == QLatin1String("close box"))
        SubOf(closing)->close();
    else if (how == QLatin1String("ctrl+w"))
        QTest::keySequence(&frame, QKeySequence::Close);
    else
        Control<QToolButton>(*closing, "ignoreButton")->click();
    QTRY_VERIFY(!frame.ChildWindows().contains(closing));
    QTRY_COMPARE(frame.CurrentChild(), before);
    QTest::qWait(20);
    QCOMPARE(frame.CurrentChild(), before);
}

void TestFrameWindow::roomRoadsFindOpenWindow_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("joined");
    for (const char* road : {"room list", "favourite", "invitation"}) {
        QTest::addRow("%s, same name", road) << road << "testroom" << true;
        QTest::addRow("%s, trailing blank", road) << road << "testroom " << true;
        QTest::addRow("%s, letter case", road) << road << "TestRoom" << true;
        QTest::addRow("%s, window not in its room", road) << road << "testroom" << false;
    }
}

void TestFrameWindow::roomRoadsFindOpenWindow()
{
    QFETCH(QString, road);
    QFETCH(QString, asked);
    QFETCH(bool, joined);
    PromptRecorder prompts;
    Connected c;
    MainWindow& frame = c.frame;
    frame.show();
    RoomWindow* open = frame.OpenRoomWindow(QStringLiteral("testroom"));
    QCOMPARE(c.Sent(), QStringList{"join #testroom"});
    // The server lists the user in the room; after a refusal it does not,
    // and the window stays as it was.
    if (joined) open->Model().AddMember(RoomMember{QStringLiteral("Ann"), {}, QStringLiteral("h"), false});
    frame.OpenPrivateWindowFromUser(QStringLiteral("bob"));  // in front meanwhile
    if (road == QLatin1String("room list")) {
        RoomListWindow& list = *frame.RoomList();
        list.AddRoomRow(asked, QString(), QStringLiteral("1 "));
        list.Model().Flush();
        const QModelIndex at = Control<QTreeView>(list, "roomTable")->model()->index(0, 0);
        Control<QTreeView>(list, "roomTable")->setCurrentIndex(at);
        Control<QTreeView>(list, "roomTable")->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list.onRoomDoubleClicked();
    } else if (road == QLatin1String("favourite")) {
        Control<QMenu>(frame, "favoritesMenu")->addAction(asked)->trigger();
    } else {
        QTest::mouseClick(Control<QPushButton>(*frame.Invitations().Show(QStringLiteral("bob"), u'#' + asked), "acceptButton"), Qt::LeftButton);
    }
    int rooms = 0;
    for (QWidget* child : frame.ChildWindows()) rooms += qobject_cast<RoomWindow*>(child) ? 1 : 0;
    QCOMPARE(rooms, 1);
    QCOMPARE(frame.CurrentChild(), open);
    QCOMPARE(c.Sent(), joined ? QStringList() : QStringList{"join #testroom"});
    QVERIFY(open->InRoom());
}

QTEST_MAIN(TestFrameWindow)
#include "tst_frame_window.moc"
