// The panels that float over a room window's transcript: each opens over the
// transcript's top left and keeps its place there while the window is resized.
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "support/connected_frame.h"
#include "support/prompt_recorder.h"
#include "support/window_controls.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QToolButton>
#include <QtTest>

#include <optional>

class TestRoomPanels : public QObject {
    Q_OBJECT

private slots:
    void init() { prompts_.emplace(); }
    void cleanup() { prompts_.reset(); }

    void panelsStayOverTheTranscript_data();
    void panelsStayOverTheTranscript();

private:
    std::optional<PromptRecorder> prompts_;
};

void TestRoomPanels::panelsStayOverTheTranscript_data()
{
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("opener");  // the control that opens it
    QTest::addColumn<bool>("listSized");  // the panel's height follows the transcript's
    QTest::addColumn<QSize>("resized");   // the child window's size after opening

    const QSize taller(700, 600);
    const QSize shorter(541, 300);
    for (const QSize& size : {taller, shorter}) {
        const QString suffix = size == taller ? QStringLiteral(", window grows") : QStringLiteral(", window shrinks");
        QTest::newRow(qPrintable("custom action" + suffix)) << "customActionPanel" << "customAction" << false << size;
        QTest::newRow(qPrintable("kick reason" + suffix)) << "kickReasonPanel" << "kickAction" << false << size;
        QTest::newRow(qPrintable("ban list" + suffix)) << "banListPanel" << "banListButton" << true << size;
        QTest::newRow(qPrintable("invitation" + suffix)) << "invitePanel" << "inviteButton" << true << size;
    }
}

void TestRoomPanels::panelsStayOverTheTranscript()
{
    QFETCH(QString, panel);
    QFETCH(QString, opener);
    QFETCH(bool, listSized);
    QFETCH(QSize, resized);

    Connected c;
    c.frame.resize(1000, 800);
    c.frame.show();
    RoomWindow* window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
    window->Model().AddMember(QStringLiteral("bob"));
    window->NickList().setCurrentItem(window->NickList().FindExact(QStringLiteral("bob")));
    QCoreApplication::processEvents();

    const QByteArray openerName = opener.toLatin1();
    if (auto* action = window->findChild<QAction*>(opener))
        action->trigger();
    else
        Control<QToolButton>(*window, openerName.constData())->click();
    const QByteArray panelName = panel.toLatin1();
    QWidget* shown = Control<QWidget>(*window, panelName.constData());
    QVERIFY(shown->isVisible());

    const auto checkPlace = [&] {
        const QRect transcript = window->Transcript().geometry();
        const QRect place = shown->geometry();
        QCOMPARE(place.topLeft(), transcript.topLeft() + QPoint(8, 8));
        QVERIFY2(place.right() <= transcript.right(), "the panel reaches past the transcript");
        if (listSized)
            QVERIFY2(place.bottom() <= transcript.bottom(), "the list reaches below the transcript");
        else
            QCOMPARE(place.height(), shown->sizeHint().height());
    };
    checkPlace();
    qobject_cast<QMdiSubWindow*>(window->parentWidget())->resize(resized);
    QCoreApplication::processEvents();
    checkPlace();
}

QTEST_MAIN(TestRoomPanels)
#include "tst_room_panels.moc"
