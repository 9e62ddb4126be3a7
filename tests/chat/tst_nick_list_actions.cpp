// The room window's nick-list menu and room tools: the lines they send, the
// list files they change, the panels, the advertisement and the profile.
#include "chat/nick_icons.h"
#include "chat/nick_list_view.h"
#include "transcript/transcript_view.h"
#include "chat/room_panels.h"
#include "chat/room_window.h"
#include "common/account_lists.h"
#include "common/shown_text.h"
#include "common/timings.h"
#include "common/user_data_folder.h"
#include "side/user_info_window.h"
#include "support/connected_frame.h"
#include "support/prompt_recorder.h"
#include "support/window_controls.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <optional>

namespace {

// A room window in #Germany with Ann (the user, a host), Bob (a host),
// carl and Dora.
struct OpenRoom {
    OpenRoom()
    {
        window = c.frame.OpenRoomWindow(QStringLiteral("Germany"));
        for (const auto& [entry, modes] : {std::pair{"Ann", "o"}, {"Bob", "o"}, {"carl", ""}, {"Dora", ""}})
            window->Model().AddMember(QString::fromLatin1(entry), QString::fromLatin1(modes));
        c.Sent();
    }
    void Select(const QString& entry)
    {
        window->NickList().clearSelection();
        if (!entry.isEmpty())
            window->NickList().setCurrentItem(window->NickList().FindExact(entry));
    }
    QTreeWidgetItem* Entry(const QString& entry) const { return window->NickList().FindExact(entry); }
    QStringList File(AccountList list) const { return AccountListFile(c.frame.AccountFolder(), list).Names(); }
    QString Transcript() const { return window->Transcript().toPlainText(); }

    Connected c;
    RoomWindow* window = nullptr;
};

QAction* MenuEntry(RoomWindow* window, const QString& name)
{
    for (QAction* entry : Control<QMenu>(*window, "nickMenu")->actions())
        if (entry->objectName() == name)
            return entry;
    return nullptr;
}

}  // namespace

class TestNickListActions : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuOrder();
    void menuEntry_data();
    void menuEntry();
    void whisper_data();
    void whisper();
    void unignore_data();
    void unignore();
    void kickPanel_data();
    void kickPanel();
    void banListRemoveAndReopen();
    void advertisementGoesToEachInTurn();
    void advertisementRefused_data();
    void advertisementRefused();
    void advertisementStops_data();
    void advertisementStops();
    void inviteBuddies_data();
    void inviteBuddies();
    void favouriteReloadsTheMenu_data();
    void favouriteReloadsTheMenu();
    void profileFillsWhileOpen_data();
    void profileFillsWhileOpen();

private:
    QTemporaryDir root_;
    std::optional<PromptRecorder> prompts_;
    Timings saved_;
};

void TestNickListActions::init()
{
    QVERIFY(root_.isValid());
    SetUserDataRoot(root_.path());
    prompts_.emplace();
    saved_ = timing();
}

void TestNickListActions::cleanup()
{
    timing() = saved_;
    prompts_.reset();
    SetUserDataRoot(QString());
    QDir(root_.path()).removeRecursively();
    QDir().mkpath(root_.path());
}

void TestNickListActions::menuOrder()
{
    RoomWindow window(nullptr);
    QStringList shown;
    for (QAction* entry : Control<QMenu>(window, "nickMenu")->actions())
        shown << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    QCOMPARE(shown, (QStringList{"Add to buddy list", "Whisper", "-", "Ignore", "UnIgnore", "-", "Kick",
                                 "Kick and Ban", "-", "Ban", "-", "Make Host", "De-Host", "-", "Profile", "-"}));
}

void TestNickListActions::menuEntry_data()
{
    QTest::addColumn<QString>("entry");      // the menu entry's object name
    QTest::addColumn<QString>("selected");   // the selected nick-list entry, empty for none
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("buddies");  // buddies.ini afterwards
    QTest::addColumn<QStringList>("ignoreFile");
    QTest::addColumn<QStringList>("ignoreList");  // the frame's ignore list afterwards
    QTest::addColumn<int>("icon");               // the selected entry's icon afterwards
    QTest::addColumn<QStringList>("banList");
    QTest::addColumn<bool>("kickPanel");

    const QStringList none;
    QTest::newRow("buddy") << "addBuddyAction" << "carl" << none << QStringList{"carl"} << none << none
                           << kNormalIcon << none << false;
    QTest::newRow("ignore a normal user") << "ignoreAction" << "carl" << none << none << QStringList{"carl"}
                                          << QStringList{"carl"} << kIgnoredIcon << none << false;
    QTest::newRow("ignore a host: @ in memory, plain nick in the file")
        << "ignoreAction" << "Bob" << none << none << QStringList{"Bob"} << QStringList{"@Bob"} << kIgnoredIcon
        << none << false;
    QTest::newRow("kick asks for the reason first") << "kickAction" << "carl" << none << none << none << none
                                                    << kNormalIcon << none << true;
    QTest::newRow("kick and ban bans at once") << "kickAndBanAction" << "Bob" << QStringList{"mode #Germany +b Bob"}
                                               << none << none << none << kHostIcon << QStringList{"Bob"} << true;
    QTest::newRow("ban") << "banAction" << "Dora" << QStringList{"mode #Germany +b Dora"} << none << none << none
                         << kNormalIcon << QStringList{"Dora"} << false;
    QTest::newRow("make host") << "makeHostAction" << "carl" << QStringList{"mode #Germany +o carl"} << none << none
                               << none << kNormalIcon << none << false;
    QTest::newRow("de-host: the list waits for the server") << "deHostAction" << "Bob"
                                                            << QStringList{"mode #Germany -o Bob"} << none << none
                                                            << none << kHostIcon << none << false;
    // A nick holding a direction control shows in an isolate that is no part of the nick.
    const QString eve = ShownText(QStringLiteral(u"\u202eEve"));
    QTest::newRow("ban a nick holding a direction control")
        << "banAction" << eve << QStringList{QStringLiteral(u"mode #Germany +b \u202eEve")} << none << none << none
        << kNormalIcon << QStringList{eve} << false;
    QTest::newRow("make host of a nick holding a direction control")
        << "makeHostAction" << eve << QStringList{QStringLiteral(u"mode #Germany +o \u202eEve")} << none << none << none
        << kNormalIcon << none << false;
    for (const char* entry : {"addBuddyAction", "whisperAction", "ignoreAction", "unignoreAction", "kickAction",
                              "kickAndBanAction", "banAction", "makeHostAction", "deHostAction", "profileAction"})
        QTest::newRow(qPrintable(QStringLiteral("%1 without a selection").arg(QLatin1String(entry))))
            << entry << "" << none << none << none << none << 0 << none << false;
}

void TestNickListActions::menuEntry()
{
    QFETCH(QString, entry);
    QFETCH(QString, selected);
    OpenRoom room;
    if (!selected.isEmpty() && !room.Entry(selected))
        room.window->Model().AddMember(selected);
    room.Select(selected);
    const int privateWindowsBefore = room.c.frame.ChildWindows().size();

    MenuEntry(room.window, entry)->trigger();

    QTEST(room.c.Sent(), "sent");
    QTEST(room.File(AccountList::Buddies), "buddies");
    QTEST(room.File(AccountList::Ignore), "ignoreFile");
    QTEST(room.c.frame.IgnoreList(), "ignoreList");
    if (!selected.isEmpty())
        QTEST(NickListView::IconNumber(room.Entry(selected)), "icon");
    QTEST(room.window->BanList(), "banList");
    QTEST(Control<KickReasonPanel>(*room.window, "kickReasonPanel")->isVisibleTo(room.window), "kickPanel");
    QCOMPARE(room.c.frame.ChildWindows().size(), privateWindowsBefore);  // only Whisper opens one
    QCOMPARE(prompts_->records.size(), 0);
}

void TestNickListActions::whisper_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("menu entry") << false;
    QTest::newRow("double-click on the entry") << true;
}

void TestNickListActions::whisper()
{
    QFETCH(bool, doubleClick);
    OpenRoom room;
    room.c.frame.show();
    room.Select(QStringLiteral("Bob"));  // a host: the window is titled without any mark
    if (doubleClick) {
        QTreeWidget* list = &room.window->NickList();
        const QPoint at = list->visualItemRect(room.Entry(QStringLiteral("Bob"))).center();
        // A double-click is a click and then the second press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    } else {
        Control<QAction>(*room.window, "whisperAction")->trigger();
    }
    QWidget* front = room.c.frame.CurrentChild();
    QVERIFY(front);
    QCOMPARE(front->windowTitle(), QStringLiteral("Bob"));
    // Whispering again shows the same window.
    Control<QAction>(*room.window, "whisperAction")->trigger();
    int titled = 0;
    for (QWidget* child : room.c.frame.ChildWindows()) titled += child->windowTitle() == QLatin1String("Bob");
    QCOMPARE(titled, 1);
    QCOMPARE(room.c.Sent(), QStringList());
}

void TestNickListActions::unignore_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("iconBefore");
    QTest::addColumn<QStringList>("listBefore");
    QTest::addColumn<QStringList>("listAfter");
    QTest::addColumn<int>("iconAfter");

    QTest::newRow("normal user, other letter case") << "carl" << kIgnoredIcon << QStringList{"x", "CARL"}
                                                    << QStringList{"x"} << kNormalIcon;
    QTest::newRow("host gets the star back") << "Bob" << kIgnoredIcon << QStringList{"@Bob"} << QStringList()
                                             << kHostIcon;
    QTest::newRow("both forms go, the star last") << "Bob" << kIgnoredIcon << QStringList{"Bob", "y", "@Bob"}
                                                  << QStringList{"y"} << kHostIcon;
    QTest::newRow("ignored twice: every copy goes") << "carl" << kIgnoredIcon << QStringList{"carl", "x", "Carl", "carl"}
                                                    << QStringList{"x"} << kNormalIcon;
    QTest::newRow("host ignored twice in both forms") << "Bob" << kIgnoredIcon
                                                      << QStringList{"@Bob", "Bob", "@bob", "Bob"} << QStringList()
                                                      << kHostIcon;
    QTest::newRow("in neither form keeps its icon") << "Dora" << kIgnoredIcon << QStringList{"Dorabella"}
                                                    << QStringList{"Dorabella"} << kIgnoredIcon;
}

void TestNickListActions::unignore()
{
    QFETCH(QString, selected);
    QFETCH(int, iconBefore);
    QFETCH(QStringList, listBefore);
    OpenRoom room;
    NickListView::SetIconNumber(room.Entry(selected), iconBefore);
    room.c.frame.ChangeIgnoreList([&](IgnoreEntries& list) { list.Reset(listBefore); });
    const QString& nick = selected;
    QString error;
    QVERIFY(AccountListFile(room.c.frame.AccountFolder(), AccountList::Ignore).Add(nick, &error));
    QVERIFY(AccountListFile(room.c.frame.AccountFolder(), AccountList::Ignore).Add(QStringLiteral("keep"), &error));
    room.Select(selected);

    Control<QAction>(*room.window, "unignoreAction")->trigger();

    QTEST(room.c.frame.IgnoreList(), "listAfter");
    QTEST(NickListView::IconNumber(room.Entry(selected)), "iconAfter");
    QCOMPARE(room.File(AccountList::Ignore), QStringList{"keep"});
    QCOMPARE(room.c.Sent(), QStringList());
}

void TestNickListActions::kickPanel_data()
{
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("selectedAtKick");  // the selection when Enter is pressed
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<bool>("panelStays");
    QTest::addColumn<QString>("note");

    QTest::newRow("enter kicks") << "spamming links" << "carl" << QStringList{"kick #Germany carl :spamming links"}
                                 << false << "";
    QTest::newRow("the nick selected at that moment") << "bye" << "Bob" << QStringList{"kick #Germany Bob :bye"}
                                                      << false << "";
    QTest::newRow("empty reason") << "" << "Dora" << QStringList{"kick #Germany Dora :"} << false << "";
    QTest::newRow("pasted line break becomes a space")
        << "one\ntwo" << "carl" << QStringList{"kick #Germany carl :one two"} << false << "";
    QTest::newRow("a NUL never reaches the wire")
        << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("quit")) << "carl" << QStringList() << true
        << "A line break or NUL character cannot be sent: nothing was sent\n";
    QTest::newRow("the user left meanwhile: nothing at all") << "x" << "" << QStringList() << true << "";
}

void TestNickListActions::kickPanel()
{
    QFETCH(QString, reason);
    QFETCH(QString, selectedAtKick);
    QFETCH(QString, note);
    OpenRoom room;
    room.c.frame.show();
    room.Select(QStringLiteral("carl"));
    Control<QAction>(*room.window, "kickAction")->trigger();
    QVERIFY(Control<KickReasonPanel>(*room.window, "kickReasonPanel")->isVisible());
    QLineEdit* why = Control<QLineEdit>(*room.window, "kickReasonLine");
    // The field is a real single-line field: typed text goes through its filter.
    why->clear();
    why->insert(reason);
    if (selectedAtKick.isEmpty())
        room.window->NickList().RemoveEntry(room.Entry(QStringLiteral("carl")));  // the selection must not pass on
    else
        room.Select(selectedAtKick);
    const QString before = room.Transcript();

    QTest::keyClick(why, Qt::Key_Return);

    QTEST(room.c.Sent(), "sent");
    QTEST(Control<KickReasonPanel>(*room.window, "kickReasonPanel")->isVisible(), "panelStays");
    QVERIFY(room.Transcript().endsWith(note));
    QVERIFY(room.Transcript().startsWith(before));
    QCOMPARE(prompts_->records.size(), 0);
    // The reason stays for the next kick; Cancel closes without a line.
    room.Select(QStringLiteral("Dora"));
    Control<QAction>(*room.window, "kickAction")->trigger();
    QCOMPARE(why->text().isEmpty(), reason.isEmpty());
    Control<QPushButton>(*room.window, "kickCancelButton")->click();
    QVERIFY(!Control<KickReasonPanel>(*room.window, "kickReasonPanel")->isVisible());
    QCOMPARE(room.c.Sent(), QStringList());
}

void TestNickListActions::banListRemoveAndReopen()
{
    OpenRoom room;
    room.c.frame.show();
    // Banned twice, and once more with Kick and Ban: listed once each.
    for (const char* nick : {"carl", "Dora", "carl"}) {
        room.Select(QString::fromLatin1(nick));
        Control<QAction>(*room.window, "banAction")->trigger();
    }
    room.Select(QStringLiteral("Dora"));
    Control<QAction>(*room.window, "kickAndBanAction")->trigger();
    room.c.Sent();
    Control<QToolButton>(*room.window, "banListButton")->click();
    QListWidget* list = Control<QListWidget>(*room.window, "bannedList");
    QVERIFY(Control<BanListPanel>(*room.window, "banListPanel")->isVisible());
    QCOMPARE(list->count(), 2);

    Control<QPushButton>(*room.window, "removeBanButton")->click();  // nothing selected yet
    QCOMPARE(room.c.Sent(), QStringList());

    list->setCurrentRow(1);
    Control<QPushButton>(*room.window, "removeBanButton")->click();
    QCOMPARE(room.c.Sent(), QStringList{"mode #Germany -b Dora!*@*"});
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("carl"));

    Control<QPushButton>(*room.window, "banListOkButton")->click();
    QVERIFY(!Control<BanListPanel>(*room.window, "banListPanel")->isVisible());
    Control<QToolButton>(*room.window, "banListButton")->click();
    QCOMPARE(list->count(), 1);  // the lifted ban does not come back
    QCOMPARE(room.window->BanList(), QStringList{"carl"});

    // A new join of the window empties the ban list.
    room.window->Leave(QString());
    Control<QComboBox>(*room.window, "roomSelector")->setEditText(QStringLiteral("Germany"));
    room.window->onJoinClicked();
    QCOMPARE(room.window->BanList(), QStringList());
}

void TestNickListActions::advertisementGoesToEachInTurn()
{
    timing().advertiseMs = 3'600'000;  // the ticks are driven by hand
    OpenRoom room;
    InputLine(*room.window)->setText(QStringLiteral("come to #linux"));
    Control<QToolButton>(*room.window, "advertiseButton")->click();
    QCOMPARE(prompts_->confirmAsked,
             QStringList{"Your message \"come to #linux\" will be whisperd to all users in room \"Germany\""});
    QVERIFY(Control<QTimer>(*room.window, "advertisementTimer")->isActive());
    QVERIFY(!Control<QToolButton>(*room.window, "advertiseButton")->isEnabled());

    QMetaObject::invokeMethod(Control<QTimer>(*room.window, "advertisementTimer"), "timeout");
    QMetaObject::invokeMethod(Control<QTimer>(*room.window, "advertisementTimer"), "timeout");
    InputLine(*room.window)->setText(QStringLiteral("changed"));  // the rest get the new text
    QMetaObject::invokeMethod(Control<QTimer>(*room.window, "advertisementTimer"), "timeout");
    QMetaObject::invokeMethod(Control<QTimer>(*room.window, "advertisementTimer"), "timeout");
    QCOMPARE(room.c.Sent(), (QStringList{"privmsg Ann :come to #linux", "privmsg Bob :come to #linux",
                                         "privmsg carl :changed", "privmsg Dora :changed"}));
    QVERIFY(Control<QTimer>(*room.window, "advertisementTimer")->isActive());
    QVERIFY(room.Transcript().endsWith(QStringLiteral("addvertisement to Dora send\n")));

    QMetaObject::invokeMethod(Control<QTimer>(*room.window, "advertisementTimer"), "timeout");
    QVERIFY(!Control<QTimer>(*room.window, "advertisementTimer")->isActive());
    QVERIFY(Control<QToolButton>(*room.window, "advertiseButton")->isEnabled());
    QVERIFY(room.Transcript().endsWith(QStringLiteral("addvertisement finished ")));
    QCOMPARE(room.c.Sent(), QStringList());

    // With the real timer, shrunk: the whole round ends by itself.
    timing().advertiseMs = 5;
    Control<QToolButton>(*room.window, "advertiseButton")->click();
    QTRY_VERIFY(!Control<QTimer>(*room.window, "advertisementTimer")->isActive());
    QCOMPARE(room.c.Sent().size(), 4);
}

void TestNickListActions::advertisementRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("note");

    QTest::newRow("empty input line") << "" << true << 0
                                      << "No advertisement message to send - Please write any message in the chat "
                                         "edit box below.\n";
    QTest::newRow("blanks only") << "   " << true << 0
                                 << "No advertisement message to send - Please write any message in the chat "
                                    "edit box below.\n";
    QTest::newRow("answered No") << "hello" << false << 1 << "";
}

void TestNickListActions::advertisementRefused()
{
    QFETCH(QString, text);
    QFETCH(bool, answer);
    QFETCH(QString, note);
    OpenRoom room;
    prompts_->confirmAnswer = answer;
    InputLine(*room.window)->setText(text);
    const QString before = room.Transcript();
    Control<QToolButton>(*room.window, "advertiseButton")->click();
    QTEST(int(prompts_->confirmAsked.size()), "questions");
    QVERIFY(!Control<QTimer>(*room.window, "advertisementTimer")->isActive());
    QVERIFY(Control<QToolButton>(*room.window, "advertiseButton")->isEnabled());
    QCOMPARE(room.Transcript(), before + note);
}

void TestNickListActions::advertisementStops_data()
{
    QTest::addColumn<int>("ending");  // 0 leave, 1 connection lost, 2 connection closed before a tick
    QTest::newRow("leaving the room") << 0;
    QTest::newRow("connection lost") << 1;
    QTest::newRow("closed connection at the tick") << 2;
}

void TestNickListActions::advertisementStops()
{
    QFETCH(int, ending);
    timing().advertiseMs = 3'600'000;
    OpenRoom room;
    InputLine(*room.window)->setText(QStringLiteral("ad"));
    Control<QToolButton>(*room.window, "advertiseButton")->click();
    QMetaObject::invokeMethod(Control<QTimer>(*room.window, "advertisementTimer"), "timeout");
    QCOMPARE(room.c.Sent(), QStringList{"privmsg Ann :ad"});
    if (ending == 0) {
        Control<QToolButton>(*room.window, "leaveButton")->click();
    } else if (ending == 1) {
        room.window->ConnectionLost();
    } else {
        room.c.frame.Connection().Disconnect();
        QMetaObject::invokeMethod(Control<QTimer>(*room.window, "advertisementTimer"), "timeout");
    }
    QVERIFY(!Control<QTimer>(*room.window, "advertisementTimer")->isActive());
    if (ending == 2)
        return;
    // Joined again, the button is there for a new advertisement.
    Control<QComboBox>(*room.window, "roomSelector")->setEditText(QStringLiteral("Germany"));
    room.window->onJoinClicked();
    QVERIFY(Control<QToolButton>(*room.window, "advertiseButton")->isEnabled());
}

void TestNickListActions::inviteBuddies_data()
{
    QTest::addColumn<QList<int>>("chosen");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("two of three") << QList<int>{0, 2} << QStringList{"INVITE zed #Germany", "INVITE amy #Germany"};
    QTest::newRow("none just closes") << QList<int>{} << QStringList();
    QTest::newRow("a section without a name invites nobody") << QList<int>{1} << QStringList();
}

void TestNickListActions::inviteBuddies()
{
    QFETCH(QList<int>, chosen);
    OpenRoom room;
    room.c.frame.show();
    const QString path = AccountListFile(room.c.frame.AccountFolder(), AccountList::Buddies).Path();
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[zed]\r\nName=zed\r\n[nameless]\r\n[amy]\r\nName=amy\r\n");
    file.close();

    Control<QToolButton>(*room.window, "inviteButton")->click();
    QListWidget* list = Control<QListWidget>(*room.window, "buddyList");
    QVERIFY(Control<InvitePanel>(*room.window, "invitePanel")->isVisible());
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
    QCOMPARE(shown, (QStringList{"zed", "", "amy"}));
    for (int row : chosen) list->item(row)->setSelected(true);

    Control<QPushButton>(*room.window, "inviteBuddiesButton")->click();
    QTEST(room.c.Sent(), "sent");
    QVERIFY(!Control<InvitePanel>(*room.window, "invitePanel")->isVisible());
    QCOMPARE(list->count(), 0);
}

void TestNickListActions::favouriteReloadsTheMenu_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("entry");
    QTest::newRow("joined from the selector") << "Germany" << "Germany";
    QTest::newRow("joined from the room list: trailing space") << "gamma " << "gamma";
}

void TestNickListActions::favouriteReloadsTheMenu()
{
    QFETCH(QString, title);
    QFETCH(QString, entry);
    OpenRoom room;
    room.window->SetTitle(title);
    Control<QToolButton>(*room.window, "favoriteButton")->click();
    QCOMPARE(prompts_->records.size(), 0);
    QCOMPARE(room.File(AccountList::Favorites), QStringList{entry});
    QTRY_COMPARE(Control<QMenu>(room.c.frame, "favoritesMenu")->actions().size(), 1);
    QCOMPARE(Control<QMenu>(room.c.frame, "favoritesMenu")->actions().first()->text(), entry);
    room.Select(QStringLiteral("carl"));
    Control<QAction>(*room.window, "addBuddyAction")->trigger();
    QTRY_COMPARE(Control<QMenu>(room.c.frame, "buddiesMenu")->actions().size(), 1);
}

void TestNickListActions::profileFillsWhileOpen_data()
{
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("userType");
    QTest::newRow("host") << "H@" << "Operatory / Host";
    QTest::newRow("away host is still a host") << "G@" << "Operatory / Host";
    QTest::newRow("host and ircop") << "H*@" << "Operatory / Host";
    QTest::newRow("voiced") << "H+" << "Normal User";
    QTest::newRow("plain") << "H" << "Normal User";
}

void TestNickListActions::profileFillsWhileOpen()
{
    QFETCH(QString, flags);
    QFETCH(QString, userType);
    OpenRoom room;
    room.Select(QStringLiteral("Bob"));
    UserProfile profile{QStringLiteral("Bob"), QStringLiteral("10.0.0.7"), QStringLiteral("irc.test"), flags,
                        QStringLiteral("Bob the Builder")};
    QStringList seen;
    QString emptyBefore;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<UserInfoWindow*>(QApplication::activeModalWidget());
        if (!window) return;
        emptyBefore = Control<QLineEdit>(*window, "nickBox")->text() + Control<QLineEdit>(*window, "userTypeBox")->text();
        room.c.frame.ShowUserProfile(profile);  // a WHO reply arriving while it is open
        seen = {window->windowTitle(), Control<QLineEdit>(*window, "fullNameBox")->text(), Control<QLineEdit>(*window, "nickBox")->text(), Control<QLineEdit>(*window, "addressBox")->text(),
                Control<QLineEdit>(*window, "serverBox")->text(), Control<QLineEdit>(*window, "userTypeBox")->text()};
        Control<QPushButton>(*window, "okButton")->click();
    });
    Control<QAction>(*room.window, "profileAction")->trigger();  // returns when the window is closed

    QCOMPARE(room.c.Sent(), QStringList{"who Bob"});
    QCOMPARE(room.c.frame.WhoPurpose(), QStringLiteral("profile"));
    QCOMPARE(emptyBefore, QString());
    QCOMPARE(seen, (QStringList{"User Information", "Bob the Builder", "Bob", "10.0.0.7", "irc.test",
                                userType}));
}

QTEST_MAIN(TestNickListActions)
#include "tst_nick_list_actions.moc"
