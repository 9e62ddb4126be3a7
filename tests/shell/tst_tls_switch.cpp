// The TLS switch beside the server box: its state kept per host and brought
// back when the box names that host again, in any form of its address.
#include "common/program_settings.h"
#include "support/window_controls.h"
#include "shell/frame_layout.h"
#include "shell/main_window.h"
#include "shell/tls_switch.h"

#include <QComboBox>
#include <QStandardPaths>
#include <QtTest>

class TestTlsSwitch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { ProgramSettings().clear(); }
    void followsHost_data();
    void followsHost();
};

void TestTlsSwitch::followsHost_data()
{
    // Each step: what the box is given, then "click" or "-", then the switch's
    // state expected afterwards ("on" / "off"); or "reset": the remembered
    // layout is forgotten (--reset-layout).
    QTest::addColumn<QStringList>("steps");

    QTest::newRow("kept for its host") << QStringList{"a.example - off", "a.example click on", "b.example - off",
                                                       "a.example - on"};
    QTest::newRow("same host in other forms") << QStringList{"a.example click on", "b.example - off",
                                                              "A.Example:7000 - on", "irc://a.example - on"};
    QTest::newRow("switched off is forgotten") << QStringList{"a.example click on", "a.example click off",
                                                               "b.example - off", "a.example - off"};
    QTest::newRow("each host its own") << QStringList{"a.example click on", "b.example click on",
                                                       "b.example click off", "a.example - on", "b.example - off"};
    QTest::newRow("a malformed entry leaves it") << QStringList{"a.example click on", "a.example:x - on",
                                                                 "a.example - on"};
    QTest::newRow("kept through a reset of the layout") << QStringList{"a.example click on", "b.example - off",
                                                                        "reset", "a.example - on"};
}

void TestTlsSwitch::followsHost()
{
    QFETCH(QStringList, steps);
    MainWindow frame;
    for (const QString& step : steps) {
        if (step == "reset") {
            ForgetFrameLayout();
            continue;
        }
        const QStringList parts = step.split(' ');
        Control<QComboBox>(frame, "serverBox")->setEditText(parts[0]);
        if (parts[1] == "click") Control<TlsSwitch>(frame, "tlsSwitch")->click();
        QVERIFY2(Control<TlsSwitch>(frame, "tlsSwitch")->isChecked() == (parts[2] == "on"), qPrintable(step));
    }
    // The next frame finds what was kept.
    MainWindow next;
    next.servercombo->setEditText(steps.last().split(' ')[0]);
    QCOMPARE(next.tlsbtn->isChecked(), steps.last().split(' ')[2] == "on");
}

QTEST_MAIN(TestTlsSwitch)
#include "tst_tls_switch.moc"
