// A MemoServ listing cut off by a dropped connection does not keep MemoServ
// notices out of the server log after the next login.
#include "transcript/transcript_view.h"
#include "events/message_events.h"
#include "support/window_controls.h"
#include "shell/login_dialog.h"
#include "events/chat_session.h"
#include "shell/main_window.h"
#include "shell/shell_test_support.h"
#include "side/room_list_window.h"
#include "support/scripted_server.h"
#include "support/temp_user_data.h"
#include "support/login_controls.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

void GoodLogin(ScriptedServer& s, const std::string& nick)
{
    s.Expect("user " + nick + " localhost localhost " + nick)
        .Expect("nick " + nick)
        .Send(":irc.test 001 " + nick + " :Welcome")
        .Expect("memoserv list");
}

const std::string kMemoServ = ":MemoServ!memoserv@services.int NOTICE alice :";

}  // namespace

class TestMessageLogin : public QObject {
    Q_OBJECT

private slots:
    void loginEndsAnOpenMemoListing();

private:
    TempUserData userData_;  // the login reads the account's lists
};

void TestMessageLogin::loginEndsAnOpenMemoListing()
{
    PromptRecorder prompts;
    ShrunkTimings timings;
    ScriptedServer server;
    timing().defaultPort = server.Port();
    MainWindow frame;
    Control<QComboBox>(frame, "serverBox")->setEditText("127.0.0.1");
    frame.show();
    const auto logIn = [&frame] {
        QTimer::singleShot(0, &frame, [&frame] {
            if (auto* login = frame.findChild<LoginDialog*>()) {
                StartLogin(login, "alice");
            }
        });
        Control<QAction>(frame, "connectAction")->trigger();
    };
    const auto log = [&frame] { return Control<TranscriptView>(frame, "serverLog")->toPlainText(); };

    // The first session ends in the middle of a listing.
    GoodLogin(server, "alice");
    server.Send(kMemoServ + "Listing memos for alice:").Send(kMemoServ + "- 1 From: bob secret").Close();
    // The second one gets an ordinary MemoServ notice.
    GoodLogin(server, "alice");
    server.Send(kMemoServ + "You have 1 new memo.");

    logIn();
    QTRY_VERIFY(log().contains(QStringLiteral("Disconnected..")));
    QVERIFY(!frame.Session());  // the cut-off listing went with its connection
    QVERIFY(!log().contains(QStringLiteral("secret")));

    logIn();
    QVERIFY(server.WaitDone(2000));
    QTRY_VERIFY(log().contains(QStringLiteral("You have 1 new memo.")));
    QVERIFY(frame.Session() && !frame.Session()->memolisting);
}

QTEST_MAIN(TestMessageLogin)
#include "tst_message_login.moc"
