// The frame's place between runs: where a remembered geometry goes on the
// screens there are now, and the frame writing its layout when it closes,
// coming back with it at the next start, and forgetting it on request.
#include "shell/application.h"
#include "support/window_controls.h"
#include "shell/frame_layout.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "shell/start_options.h"

#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QtTest>

using Screens = QList<QRect>;
Q_DECLARE_METATYPE(Screens)

class TestFrameLayout : public QObject {
    Q_OBJECT
private slots:
    void placedOnScreens_data();
    void placedOnScreens();
    void frameComesBackAsClosed_data();
    void frameComesBackAsClosed();
    void resetLayoutForgets();
};

namespace {

const QRect kLeft(0, 0, 1920, 1050);      // the primary screen, less a panel
const QRect kRight(1920, 0, 1280, 1024);  // a second screen to its right

QPointer<MainWindow> Start(const QStringList& arguments = {})
{
    return StartProgram(ParseStartOptions(QStringList{"talvessa"} + arguments));
}

void CloseFrame(QPointer<MainWindow>& frame)
{
    frame->close();
    QTRY_VERIFY(frame.isNull());
}

}  // namespace

void TestFrameLayout::placedOnScreens_data()
{
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<Screens>("screens");
    QTest::addColumn<QRect>("placed");

    const Screens both{kLeft, kRight};
    QTest::newRow("on screen: stays") << QRect(100, 80, 800, 570) << false << Screens{kLeft} << QRect(100, 80, 800, 570);
    QTest::newRow("on the second screen: stays") << QRect(2000, 50, 800, 600) << false << both
                                                 << QRect(2000, 50, 800, 600);
    QTest::newRow("across both screens: stays") << QRect(1500, 100, 900, 600) << false << both
                                                << QRect(1500, 100, 900, 600);
    QTest::newRow("enough of the top edge shows at the left: stays")
        << QRect(-650, 100, 800, 570) << false << Screens{kLeft} << QRect(-650, 100, 800, 570);
    QTest::newRow("too little of the top edge shows: pulled in") << QRect(-750, 100, 800, 570) << false
                                                                 << Screens{kLeft} << QRect(0, 100, 800, 570);
    QTest::newRow("top edge above the screen: pulled down") << QRect(300, -10, 800, 570) << false << Screens{kLeft}
                                                            << QRect(300, 0, 800, 570);
    QTest::newRow("below the bottom: pulled up") << QRect(300, 1040, 800, 570) << false << Screens{kLeft}
                                                 << QRect(300, 480, 800, 570);
    QTest::newRow("beyond every screen: onto the primary") << QRect(5000, 200, 800, 570) << false << both
                                                           << QRect(1120, 200, 800, 570);
    QTest::newRow("its screen is gone: onto the one left") << QRect(2000, 100, 800, 600) << false << Screens{kLeft}
                                                           << QRect(1120, 100, 800, 600);
    QTest::newRow("off the top, over the second screen most: onto it")
        << QRect(1800, -200, 800, 600) << false << both << QRect(1920, 0, 800, 600);
    QTest::newRow("larger than its screen: shrunk to it") << QRect(-50, -50, 2500, 1400) << false << Screens{kLeft}
                                                          << kLeft;
    QTest::newRow("maximised on screen: stays") << QRect(100, 80, 800, 570) << true << Screens{kLeft}
                                                << QRect(100, 80, 800, 570);
    QTest::newRow("maximised, off screen: pulled in, still maximised")
        << QRect(-3000, -3000, 800, 570) << true << both << QRect(0, 0, 800, 570);
    QTest::newRow("no screen known: as it was") << QRect(5000, 200, 800, 570) << false << Screens{}
                                                << QRect(5000, 200, 800, 570);
}

void TestFrameLayout::placedOnScreens()
{
    QFETCH(QRect, saved);
    QFETCH(bool, maximised);
    QFETCH(Screens, screens);
    QFETCH(QRect, placed);

    const FrameLayout restored = RestoredLayout(FrameLayout{saved, maximised, ServerChoice{"irc.oftc.net"}}, screens);
    QCOMPARE(restored.geometry, placed);
    QCOMPARE(restored.maximised, maximised);
    QCOMPARE(restored.server.host, QStringLiteral("irc.oftc.net"));
}

void TestFrameLayout::frameComesBackAsClosed_data()
{
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("serverIndex");

    QTest::newRow("normal, a preset server") << false << MainWindow::PresetServers().at(3) << 3;
    QTest::newRow("maximised, a typed server") << true << QStringLiteral("localhost") << 0;
}

void TestFrameLayout::frameComesBackAsClosed()
{
    QFETCH(bool, maximised);
    QFETCH(QString, server);
    QFETCH(int, serverIndex);
    ShrunkTimings timings;
    ForgetFrameLayout();

    // The offscreen display is one 800 x 600 screen.
    const QRect normal(40, 50, 700, 450);
    QPointer<MainWindow> frame = Start();
    frame->showNormal();
    frame->setGeometry(normal);
    if (maximised) frame->showMaximized();
    frame->SelectServer(server);
    QTRY_COMPARE(frame->isMaximized(), maximised);
    CloseFrame(frame);

    const std::optional<FrameLayout> written = ReadFrameLayout();
    QVERIFY(written);
    QCOMPARE(written->geometry, normal);
    QCOMPARE(written->maximised, maximised);
    QCOMPARE(written->server.host, server);

    frame = Start();
    QTRY_COMPARE(frame->isMaximized(), maximised);
    QCOMPARE(frame->normalGeometry(), normal);
    if (!maximised) QCOMPARE(frame->geometry(), normal);
    QCOMPARE(Control<QComboBox>(*frame, "serverBox")->currentText(), server);
    QCOMPARE(Control<QComboBox>(*frame, "serverBox")->currentIndex(), serverIndex);
    // A server named on the command line goes before the remembered one; the
    // place is still the remembered one.
    CloseFrame(frame);
    frame = Start({"--server", "127.0.0.1"});
    QCOMPARE(Control<QComboBox>(*frame, "serverBox")->currentText(), QStringLiteral("127.0.0.1"));
    QCOMPARE(Control<QComboBox>(*frame, "serverBox")->currentIndex(), 0);
    QCOMPARE(frame->normalGeometry(), normal);
    CloseFrame(frame);
}

void TestFrameLayout::resetLayoutForgets()
{
    ShrunkTimings timings;
    WriteFrameLayout(FrameLayout{QRect(-4000, 10, 700, 450), false, ServerChoice{"irc.efnet.org"}});
    QPointer<MainWindow> frame = Start({"--reset-layout"});
    QVERIFY(!QFile::exists(FrameLayoutFile()));
    // As at a first start: maximised, restored size 800 x 570, the first preset.
    QTRY_VERIFY(frame->isMaximized());
    QCOMPARE(frame->normalGeometry().size(), QSize(800, 570));
    QCOMPARE(Control<QComboBox>(*frame, "serverBox")->currentIndex(), 0);
    CloseFrame(frame);
    QVERIFY(QFile::exists(FrameLayoutFile()));

    // Without the option a remembered place off every screen is pulled back.
    WriteFrameLayout(FrameLayout{QRect(-4000, 10, 700, 450), false, ServerChoice{"irc.efnet.org"}});
    frame = Start();
    QTRY_VERIFY(frame->isVisible());
    QCOMPARE(frame->geometry(), QRect(0, 10, 700, 450));
    QCOMPARE(Control<QComboBox>(*frame, "serverBox")->currentText(), QStringLiteral("irc.efnet.org"));
    CloseFrame(frame);
}

int main(int argc, char** argv)
{
    TalvessaApplication app(argc, argv);
    TestFrameLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frame_layout.moc"
