// The application object: its one catch point for failures no handler caught,
// the splash, and the start-up sequence.
#include "transcript/transcript_view.h"
#include "shell/about_box.h"
#include "support/window_controls.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/product_info.h"
#include "shell/shell_test_support.h"
#include "shell/login_dialog.h"
#include "shell/registration_dialog.h"
#include "shell/splash_window.h"
#include "side/room_list_window.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <memory>
#include <stdexcept>

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void uncaughtFailuresReachTheErrorReport_data();
    void uncaughtFailuresReachTheErrorReport();
    void failedWriteEndsOnlyItsAction();
    void splash();
    void splashClosesItselfBeforeTheFrame();
    void noDisplayNameAddedToCaptions();
    void fixedDialogsHaveNoMinMaxButtons_data();
    void fixedDialogsHaveNoMinMaxButtons();
};

void TestApplication::uncaughtFailuresReachTheErrorReport_data()
{
    QTest::addColumn<bool>("standard");
    QTest::addColumn<QString>("text");
    QTest::newRow("std::exception") << true << "Socket error: Broken pipe";
    QTest::newRow("anything else") << false << "An unknown error occurred.";
}

void TestApplication::uncaughtFailuresReachTheErrorReport()
{
    QFETCH(bool, standard);
    QFETCH(QString, text);
    PromptRecorder prompts;
    QTimer::singleShot(0, [standard] {
        if (standard) throw std::runtime_error("Socket error: Broken pipe");
        throw 42;
    });
    QTRY_COMPARE(prompts.Texts(), QStringList{text});
    QCOMPARE(prompts.Kinds(), QStringList{"error"});
    // The program goes on.
    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });
    QTRY_VERIFY(later);
}

void TestApplication::failedWriteEndsOnlyItsAction()
{
    // The load button writes on a connection that is not open: the failure is
    // reported, the steps before the write stand, the program goes on.
    PromptRecorder prompts;
    MainWindow frame;
    frame.show();
    RoomListWindow* rooms = frame.RoomList();
    rooms->SetConnection(&frame.Connection());
    rooms->AddRoomRow("room ", "topic", "3 ");
    rooms->ShowServerPanel();
    QTest::mouseClick(Control<QPushButton>(*rooms, "loadFullListButton"), Qt::LeftButton);
    // The request that did not go is told in the window's own log.
    QCOMPARE(prompts.Kinds(), QStringList());
    const QString note = QStringLiteral("You are not connected to a server: nothing was sent");
    QCOMPARE(Control<TranscriptView>(*rooms, "serverLog")->toPlainText(), note);
    QVERIFY(!Control<QFrame>(*rooms, "serverPanel")->isVisible());
    QCOMPARE(rooms->RowCount(), 0);
    // Away while the connection is gone: the failure that no handler takes
    // is the general report; nothing more is logged.
    Control<QToolButton>(frame, "awayButton")->setEnabled(true);
    Control<QToolButton>(frame, "awayButton")->setChecked(true);
    QTest::mouseClick(Control<QToolButton>(frame, "awayButton"), Qt::LeftButton);
    QCOMPARE(prompts.Kinds(), QStringList{"error"});
    QCOMPARE(Control<TranscriptView>(*rooms, "serverLog")->toPlainText(), note);
}

void TestApplication::splash()
{
    SplashWindow splash;
    QVERIFY(splash.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(Control<QLabel>(splash, "addressLabel")->text(), product::kWebAddress);
    const QImage picture = SplashWindow::Picture().toImage();
    QCOMPARE(picture.pixelColor(0, 0).alpha(), 0);  // the corners are see-through
    QVERIFY(picture.pixelColor(225, 125).alpha() > 0);
}

void TestApplication::splashClosesItselfBeforeTheFrame()
{
    ShrunkTimings timings;
    timing().splashMs = 200;
    bool frameDuringSplash = true;
    bool splashShown = false;
    QTimer::singleShot(50, [&] {
        splashShown = qobject_cast<SplashWindow*>(QApplication::activeModalWidget()) != nullptr;
        frameDuringSplash = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<MainWindow*>(w)) frameDuringSplash = true;
    });
    QElapsedTimer clock;
    clock.start();
    QPointer<MainWindow> frame = StartProgram();
    const qint64 took = clock.elapsed();

    QVERIFY(splashShown);
    QVERIFY(!frameDuringSplash);
    QVERIFY2(took >= 190, qPrintable(QString::number(took)));
    QVERIFY(frame->isVisible());
    QVERIFY(frame->windowState() & Qt::WindowMaximized);
    QCOMPARE(frame->ChildWindows(), QList<QWidget*>{frame->RoomList()});
    QVERIFY(frame->findChild<AboutBox*>());
    QVERIFY(!frame->AboutDialog()->isVisible());
    QCOMPARE(QApplication::applicationName(), QStringLiteral("Talvessa"));
    for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<SplashWindow*>(w));  // the splash is gone
    frame->close();  // deletes itself on close
    QTRY_VERIFY(frame.isNull());
}

void TestApplication::noDisplayNameAddedToCaptions()
{
    // The window system appends an application display name that was set
    // to every caption ("Login - Talvessa"). When none was set, the display
    // name is only the application name and follows it.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Talvessa"));
    QGuiApplication::setApplicationName(QStringLiteral("renamed"));
    const QString followed = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationName(QStringLiteral("Talvessa"));
    QCOMPARE(followed, QStringLiteral("renamed"));
}

void TestApplication::fixedDialogsHaveNoMinMaxButtons_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("login") << "login";
    QTest::newRow("registration") << "registration";
    QTest::newRow("about box") << "about";
    QTest::newRow("splash") << "splash";
}

void TestApplication::fixedDialogsHaveNoMinMaxButtons()
{
    QFETCH(QString, dialog);
    MainWindow frame;
    std::unique_ptr<QDialog> window;
    if (dialog == QLatin1String("login"))
        window = std::make_unique<LoginDialog>(&frame);
    else if (dialog == QLatin1String("registration"))
        window = std::make_unique<RegistrationDialog>(&frame, &frame);
    else if (dialog == QLatin1String("about"))
        window = std::make_unique<AboutBox>(&frame);
    else
        window = std::make_unique<SplashWindow>();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    // Flags without the customise hint let the window system add its own buttons.
    QVERIFY((flags & Qt::CustomizeWindowHint) || (flags & Qt::FramelessWindowHint));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    window->close();
}

int main(int argc, char** argv)
{
    TalvessaApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
