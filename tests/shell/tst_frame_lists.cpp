// The frame's share of the account's lists: the Favorites and Buddies menus
// in file order and what their items do, separate lists per server and nick,
// the reload notifications, the ignore list read from its file (also while
// another thread asks about nicks), and the options dialog's changes
// reaching the frame once it has closed.
#include "chat/nick_icons.h"
#include "support/window_controls.h"
#include "chat/nick_list_view.h"
#include "chat/private_window.h"
#include "chat/room_window.h"
#include "common/list_file.h"
#include "common/user_data_folder.h"
#include "shell/main_window.h"
#include "shell/options_dialog.h"
#include "support/prompt_recorder.h"
#include "support/scripted_server.h"
#include "support/temp_user_data.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// The texts the items show ("&&" in a caption shows as "&").
QStringList Shown(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions()) out << a->iconText();
    return out;
}

QAction* Item(const QMenu* menu, const QString& shown)
{
    for (QAction* a : menu->actions())
        if (a->iconText() == shown) return a;
    return nullptr;
}

template <typename T>
QList<T*> Windows(const MainWindow& frame)
{
    QList<T*> out;
    for (QWidget* w : frame.ChildWindows())
        if (auto* t = qobject_cast<T*>(w)) out << t;
    return out;
}

}  // namespace

class TestFrameLists : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menusFollowFileOrder_data();
    void menusFollowFileOrder();
    void favouriteJoinsOnceThenComesToFront();
    void buddyOpensPrivateWindowSendingNothing();
    void eachServerAndNickHasItsOwnLists();
    void reloadNotificationsWaitForTheCaller_data();
    void reloadNotificationsWaitForTheCaller();
    void ignoreListIsReadFromItsFile();
    void isIgnoredHoldsWhileListIsReloaded();
    void optionsChangesReachFrameWhenClosed();

private:
    void Write(const QString& file, const QByteArray& bytes, const QString& host = "127.0.0.1",
               const QString& nick = "ann")
    {
        QFile f(UserDataFolder(host, nick) + u'/' + file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    std::vector<std::string> Sent()
    {
        QTest::qWait(100);
        return server_->Received();
    }

    std::unique_ptr<PromptRecorder> prompts_;
    std::unique_ptr<TempUserData> root_;
    std::unique_ptr<ScriptedServer> server_;
    std::unique_ptr<MainWindow> frame_;
};

void TestFrameLists::init()
{
    prompts_ = std::make_unique<PromptRecorder>();
    root_ = std::make_unique<TempUserData>();
    server_ = std::make_unique<ScriptedServer>();
    frame_ = std::make_unique<MainWindow>();
    frame_->SetCurrentNick("ann");
    frame_->Connection().SetHost("127.0.0.1");
    frame_->Connection().SetPort(server_->Port());
    frame_->Connection().Connect();
    frame_->show();
}

void TestFrameLists::cleanup()
{
    frame_.reset();
    server_.reset();
    root_.reset();
    prompts_.reset();
}

void TestFrameLists::menusFollowFileOrder_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Favorites") << "fav.ini";
    QTest::newRow("Buddies") << "buddies.ini";
}

void TestFrameLists::menusFollowFileOrder()
{
    QFETCH(QString, file);
    const bool favourites = file == "fav.ini";
    QMenu* menu = favourites ? Control<QMenu>(*frame_, "favoritesMenu") : Control<QMenu>(*frame_, "buddiesMenu");
    const auto load = [&] { favourites ? frame_->Lists().LoadFavoritesMenu() : frame_->Lists().LoadBuddiesMenu(); };
    // A section without a name shows as an empty item that opens nothing.
    const auto enabled = [menu] {
        QList<bool> out;
        for (const QAction* a : menu->actions()) out << a->isEnabled();
        return out;
    };

    Write(file, "[zeta]\nName=zeta\n[alpha]\nName=alpha\n[r&b]\nName=r&b\n[nameless]\n[J\xC3\xBCrgen]\nName=J\xC3\xBCrgen\n");
    load();
    QCOMPARE(Shown(menu), (QStringList{"zeta", "alpha", "r&b", "", QStringLiteral("Jürgen")}));
    QCOMPARE(enabled(), (QList<bool>{true, true, true, false, true}));
    load();  // read again: the same items, not twice as many
    QCOMPARE(Shown(menu), (QStringList{"zeta", "alpha", "r&b", "", QStringLiteral("Jürgen")}));

    Write(file, "[alpha]\nName=alpha\n[zeta]\nName=zeta\n[nameless]\nName=named\n");  // fewer, other order
    load();
    QCOMPARE(Shown(menu), (QStringList{"alpha", "zeta", "named"}));
    QCOMPARE(enabled(), (QList<bool>{true, true, true}));

    Write(file, "[a]\nName=a\n[b]\n[c]\nName=c\n[d]\nName=d\n");  // more again
    load();
    QCOMPARE(Shown(menu), (QStringList{"a", "", "c", "d"}));
    QCOMPARE(enabled(), (QList<bool>{true, false, true, true}));

    Write(file, "");
    load();
    QVERIFY(menu->actions().isEmpty());
    Write(file, "[one]\nName=one\n");
    load();
    QCOMPARE(Shown(menu), QStringList{"one"});
}

void TestFrameLists::favouriteJoinsOnceThenComesToFront()
{
    Write("fav.ini", "[lobby]\nName=lobby\n[r&b]\nName=r&b\n");
    frame_->Lists().LoadFavoritesMenu();
    Item(Control<QMenu>(*frame_, "favoritesMenu"), "lobby")->trigger();
    QVERIFY(server_->WaitForReceived("join #lobby"));
    QCOMPARE(Windows<RoomWindow>(*frame_).size(), 1);
    RoomWindow* lobby = Windows<RoomWindow>(*frame_)[0];
    QCOMPARE(lobby->Title(), QStringLiteral("lobby"));
    lobby->Model().AddMember(frame_->CurrentNick());  // the server lists the user there

    frame_->NewRoomWindow();
    Item(Control<QMenu>(*frame_, "favoritesMenu"), "lobby")->trigger();
    QCOMPARE(frame_->CurrentChild(), lobby);
    QCOMPARE(Windows<RoomWindow>(*frame_).size(), 2);

    Item(Control<QMenu>(*frame_, "favoritesMenu"), "r&b")->trigger();  // the "&" is part of the room
    QVERIFY(server_->WaitForReceived("join #r&b"));
    QCOMPARE(Sent(), (std::vector<std::string>{"join #lobby", "join #r&b"}));
}

void TestFrameLists::buddyOpensPrivateWindowSendingNothing()
{
    Write("buddies.ini", "[bob]\nName=bob\n[amy]\nName=amy\n");
    frame_->Lists().LoadBuddiesMenu();
    Item(Control<QMenu>(*frame_, "buddiesMenu"), "bob")->trigger();
    QCOMPARE(Windows<PrivateWindow>(*frame_).size(), 1);
    PrivateWindow* bob = Windows<PrivateWindow>(*frame_)[0];
    QCOMPARE(bob->Title(), QStringLiteral("bob"));
    QCOMPARE(frame_->CurrentChild(), bob);

    Item(Control<QMenu>(*frame_, "buddiesMenu"), "amy")->trigger();
    Item(Control<QMenu>(*frame_, "buddiesMenu"), "bob")->trigger();
    QCOMPARE(Windows<PrivateWindow>(*frame_).size(), 2);
    QCOMPARE(frame_->CurrentChild(), bob);
    QVERIFY(Sent().empty());
}

void TestFrameLists::eachServerAndNickHasItsOwnLists()
{
    Write("fav.ini", "[ann-here]\nName=ann-here\n");
    Write("fav.ini", "[bea-here]\nName=bea-here\n", "127.0.0.1", "bea");
    Write("fav.ini", "[ann-there]\nName=ann-there\n", "irc.other.net", "ann");
    frame_->Lists().LoadFavoritesMenu();
    QCOMPARE(Shown(Control<QMenu>(*frame_, "favoritesMenu")), QStringList{"ann-here"});
    frame_->SetCurrentNick("bea");
    frame_->Lists().LoadFavoritesMenu();
    QCOMPARE(Shown(Control<QMenu>(*frame_, "favoritesMenu")), QStringList{"bea-here"});
    frame_->SetCurrentNick("ann");
    frame_->Connection().SetHost("irc.other.net");
    frame_->Lists().LoadFavoritesMenu();
    QCOMPARE(Shown(Control<QMenu>(*frame_, "favoritesMenu")), QStringList{"ann-there"});
    frame_->SetCurrentNick("cid");  // nothing written yet
    frame_->Lists().LoadFavoritesMenu();
    QVERIFY(Shown(Control<QMenu>(*frame_, "favoritesMenu")).isEmpty());
}

void TestFrameLists::reloadNotificationsWaitForTheCaller_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("favourites") << "fav.ini";
    QTest::newRow("buddies") << "buddies.ini";
}

void TestFrameLists::reloadNotificationsWaitForTheCaller()
{
    QFETCH(QString, file);
    const bool favourites = file == "fav.ini";
    QMenu* menu = favourites ? Control<QMenu>(*frame_, "favoritesMenu") : Control<QMenu>(*frame_, "buddiesMenu");
    QMenu* other = favourites ? Control<QMenu>(*frame_, "buddiesMenu") : Control<QMenu>(*frame_, "favoritesMenu");
    Write(file, "[one]\nName=one\n");
    favourites ? frame_->ReloadFavoritesNotification() : frame_->ReloadBuddiesNotification();
    QVERIFY(menu->actions().isEmpty());
    QTRY_COMPARE(Shown(menu), QStringList{"one"});
    QVERIFY(other->actions().isEmpty());
}

void TestFrameLists::ignoreListIsReadFromItsFile()
{
    frame_->Lists().SetIgnoreList(QStringList{"old"});
    Write("ignore.ini", "[zed]\nName=zed\n[Bob]\nName=Bob\n");
    frame_->Lists().LoadIgnoreList();
    QCOMPARE(frame_->IgnoreList(), (QStringList{"zed", "Bob"}));
    QVERIFY(!frame_->IsIgnored("old"));
    QVERIFY(frame_->IsIgnored("Bob"));
    QVERIFY(!frame_->IsIgnored("bob"));
}

// The reader thread asks about nicks while the user's thread reads the list
// again and again: every answer is that of a whole list, old or new.
void TestFrameLists::isIgnoredHoldsWhileListIsReloaded()
{
    QByteArray first;
    QByteArray second;
    for (int i = 0; i < 2000; ++i) {
        first += QStringLiteral("[a%1]\nName=a%1\n").arg(i).toUtf8();
        second += QStringLiteral("[b%1]\nName=b%1\n").arg(i).toUtf8();
    }
    first += "[bob]\nName=bob\n";
    second = "[bob]\nName=bob\n" + second;
    Write("ignore.ini", first);
    frame_->Lists().LoadIgnoreList();
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::atomic<long> asked{0};
    std::thread reader([&] {
        while (!stop) {
            if (!frame_->IsIgnored("bob")) ++wrong;
            if (frame_->IsIgnored("carol")) ++wrong;
            ++asked;
        }
    });
    for (int round = 0; round < 40; ++round) {
        Write("ignore.ini", round % 2 ? first : second);
        frame_->Lists().LoadIgnoreList();
        frame_->IgnoreForGood("dave", frame_.get());
    }
    stop = true;
    reader.join();
    QCOMPARE(wrong.load(), 0);
    QVERIFY(asked.load() > 0);
    QVERIFY(frame_->IsIgnored("dave"));
}

void TestFrameLists::optionsChangesReachFrameWhenClosed()
{
    Write("fav.ini", "[one]\nName=one\n[two]\nName=two\n");
    Write("ignore.ini", "[bob]\nName=bob\n[amy]\nName=amy\n");
    frame_->Lists().LoadAccountLists();
    frame_->ChangeIgnoreList([](IgnoreEntries& list) { list.Append("@carl"); });  // ignored in a room, not in the file
    QVERIFY(Control<QAction>(*frame_, "optionsAction")->isEnabled());

    QStringList favouritesWhileOpen;
    bool bobWhileOpen = false;
    QTimer::singleShot(0, frame_.get(), [&] {
        auto* dialog = frame_->findChild<OptionsDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        Control<QListWidget>(*dialog, "favoritesList")->item(0)->setSelected(true);
        Control<QPushButton>(*dialog, "removeFavoriteButton")->click();
        Control<QTabWidget>(*dialog, "pages")->setCurrentIndex(2);
        Control<QListWidget>(*dialog, "ignoreList")->item(0)->setSelected(true);
        Control<QPushButton>(*dialog, "removeIgnoredButton")->click();
        favouritesWhileOpen = Shown(Control<QMenu>(*frame_, "favoritesMenu"));
        bobWhileOpen = frame_->IsIgnored("bob");
        Control<QPushButton>(*dialog, "ignoreOkButton")->click();
    });
    Control<QAction>(*frame_, "optionsAction")->trigger();

    QCOMPARE(favouritesWhileOpen, (QStringList{"one", "two"}));  // nothing changes before it closes
    QVERIFY(bobWhileOpen);
    QCOMPARE(Shown(Control<QMenu>(*frame_, "favoritesMenu")), QStringList{"two"});
    QCOMPARE(frame_->IgnoreList(), QStringList{"amy"});
    QVERIFY(!frame_->findChild<OptionsDialog*>());
}

QTEST_MAIN(TestFrameLists)
#include "tst_frame_lists.moc"
