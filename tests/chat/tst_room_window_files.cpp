// Saving a room's chat and the account folder it starts in.
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "shell/main_window.h"
#include "support/file_size_limit.h"
#include "support/prompt_recorder.h"
#include "common/user_data_folder.h"
#include "support/window_controls.h"

#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <optional>

namespace {


}  // namespace

class TestRoomWindowFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void userDataFolder_data();
    void userDataFolder();
    void userDataFolderWithoutOverride();
    void saveChat();
    void saveChatCancelled();
    void saveChatFailureIsReported();
    void saveLeavesWholeFileOrNone_data();
    void saveLeavesWholeFileOrNone();

private:
    QTemporaryDir root_;
    std::optional<PromptRecorder> prompts_;  // installed for each test function
};

void TestRoomWindowFiles::init()
{
    QVERIFY(root_.isValid());
    SetUserDataRoot(root_.path());
    prompts_.emplace();
}

void TestRoomWindowFiles::cleanup()
{
    prompts_.reset();
    SetUserDataRoot(QString());
}

void TestRoomWindowFiles::userDataFolder_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("nick");
    QTest::addColumn<QString>("below");  // path below root/userdata

    QTest::newRow("plain") << "irc.example.org" << "Ann" << "irc.example.org/Ann";
    QTest::newRow("nick with irc characters") << "srv" << "[a]\\b^{c}|" << "srv/[a]_b^{c}|";
    QTest::newRow("slashes cannot nest") << "a/b" << "c/d" << "a_b/c_d";
    QTest::newRow("dots cannot climb") << ".." << "." << "_../_.";
    QTest::newRow("empty names") << "" << "" << "_/_";
    QTest::newRow("control characters") << QString("h\x01x") << QString("n\nx") << "h_x/n_x";
    QTest::newRow("non-ascii kept") << QString::fromUtf8("sérveur") << QString::fromUtf8("Zoë")
                                    << QString::fromUtf8("sérveur/Zoë");
}

void TestRoomWindowFiles::userDataFolder()
{
    QFETCH(QString, host);
    QFETCH(QString, nick);
    QFETCH(QString, below);

    const QString folder = UserDataFolder(host, nick);
    QCOMPARE(folder, root_.path() + QStringLiteral("/userdata/") + below);
    QVERIFY(QDir(folder).exists());
    QVERIFY(QDir(folder).canonicalPath().startsWith(QDir(root_.path()).canonicalPath() + "/userdata/"));
}

void TestRoomWindowFiles::userDataFolderWithoutOverride()
{
    QStandardPaths::setTestModeEnabled(true);
    SetUserDataRoot(QString());
    const QString folder = UserDataFolder(QStringLiteral("srv"), QStringLiteral("Ann"));
    QCOMPARE(folder, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                         QStringLiteral("/userdata/srv/Ann"));
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/userdata").removeRecursively();
    QStandardPaths::setTestModeEnabled(false);
}

void TestRoomWindowFiles::saveChat()
{
    MainWindow frame;
    frame.Connection().SetHost("irc.example.org");
    frame.SetCurrentNick(QStringLiteral("Ann"));
    RoomWindow* window = frame.NewRoomWindow();
    SetSelText(window->Transcript(), QString::fromUtf8("Grüße {braces} \\ done\n"));
    prompts_->saveAnswer = root_.filePath(QStringLiteral("chat.rtf"));
    Control<QToolButton>(*window, "saveButton")->click();

    QCOMPARE(prompts_->saveAsked, (QStringList{"Save chat", root_.path() + "/userdata/irc.example.org/Ann",
                                          "Rich Text (*.rtf)", "rtf"}));
    QVERIFY(QDir(prompts_->saveAsked[1]).exists());
    QFile saved(prompts_->saveAnswer);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray rtf = saved.readAll();
    QVERIFY(rtf.startsWith("{\\rtf"));
    QVERIFY(rtf.contains("braces"));
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestRoomWindowFiles::saveChatCancelled()
{
    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    Control<QToolButton>(*window, "saveButton")->click();
    QCOMPARE(prompts_->saveAsked.value(0), QStringLiteral("Save chat"));
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestRoomWindowFiles::saveChatFailureIsReported()
{
    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    prompts_->saveAnswer = root_.filePath(QStringLiteral("no/such/folder/chat.rtf"));
    window->onSaveClicked();
    QCOMPARE(prompts_->Errors().size(), 1);
    QVERIFY(!QFile::exists(prompts_->saveAnswer));
}

void TestRoomWindowFiles::saveLeavesWholeFileOrNone_data()
{
    QTest::addColumn<QString>("ending");  // how the write ends
    QTest::addColumn<int>("errors");      // messages the user gets
    QTest::addColumn<bool>("replaced");   // the file at the path is the new one
    QTest::newRow("written whole") << "none" << 0 << true;
    QTest::newRow("cancelled from the progress dialog") << "cancel" << 0 << false;
    QTest::newRow("disk full half-way") << "disk full" << 1 << false;
}

void TestRoomWindowFiles::saveLeavesWholeFileOrNone()
{
    QFETCH(QString, ending);
    MainWindow frame;
    RoomWindow* window = frame.NewRoomWindow();
    {
        TranscriptView::Batch batch(window->Transcript());
        QString lines;
        for (int i = 0; i < 40000; ++i) lines += QStringLiteral("line %1 of a long evening in the room\n").arg(i);
        SetSelText(window->Transcript(), lines);
    }
    QDir folder(root_.filePath(QStringLiteral("saves")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QString path = folder.filePath(QStringLiteral("chat.rtf"));
    QFile before(path);
    QVERIFY(before.open(QIODevice::WriteOnly) && before.write("the old file") > 0);
    before.close();
    prompts_->saveAnswer = path;
    if (ending == QLatin1String("cancel"))
        QTimer::singleShot(0, window, [window] {
            window->findChild<QProgressDialog*>("saveProgress")->findChild<QPushButton*>()->click();
        });
    {
        std::optional<FileSizeLimit> full;
        if (ending == QLatin1String("disk full")) full.emplace(256 * 1024);
        window->onSaveClicked();
    }
    QTEST(int(prompts_->Errors().size()), "errors");
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    const QByteArray saved = after.readAll();
    QTEST(saved != "the old file", "replaced");
    if (saved != "the old file") {
        QVERIFY(saved.startsWith("{\\rtf"));
        QVERIFY(saved.endsWith("}\n"));
        QVERIFY(saved.contains("line 39999 of a long evening"));
    }
    QCOMPARE(folder.entryList(QDir::Files), QStringList{"chat.rtf"});  // no piece of a file left behind
}

QTEST_MAIN(TestRoomWindowFiles)
#include "tst_room_window_files.moc"
