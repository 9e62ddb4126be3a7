// Single-line text fields of the frame, the room list, the room window and the
// login and registration dialogs: a pasted line break becomes a space.
#include "chat/room_window.h"
#include "shell/login_dialog.h"
#include "shell/main_window.h"
#include "shell/registration_dialog.h"
#include "side/room_list_window.h"
#include "support/window_controls.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

class TestSingleLineFields : public QObject {
    Q_OBJECT
private slots:
    void pastedLineBreaksBecomeSpaces_data();
    void pastedLineBreaksBecomeSpaces();
};

namespace {

// Every window that has such fields, made once per row.
struct Windows {
    MainWindow frame;
    LoginDialog login{&frame};
    RegistrationDialog registration{&frame, &frame};

    QLineEdit* Field(const QString& window, const QString& name)
    {
        if (window == QLatin1String("room")) {
            RoomWindow* room = frame.NewRoomWindow();
            return name == QLatin1String("selector") ? Control<QComboBox>(*room, "roomSelector")->lineEdit()
                                                       : room->findChild<QLineEdit*>(name);
        }
        QWidget* owner = window == QLatin1String("frame")          ? static_cast<QWidget*>(&frame)
                         : window == QLatin1String("room list")    ? static_cast<QWidget*>(frame.RoomList())
                         : window == QLatin1String("login")        ? static_cast<QWidget*>(&login)
                                                                   : static_cast<QWidget*>(&registration);
        return owner->findChild<QLineEdit*>(name);
    }
};

}  // namespace

void TestSingleLineFields::pastedLineBreaksBecomeSpaces_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("text");

    QTest::newRow("away text") << "frame" << "awayLine" << "a\nb" << "a b";
    QTest::newRow("away text, CR LF") << "frame" << "awayLine" << "gone\r\nfishing\r\n" << "gone fishing ";
    QTest::newRow("room list letters") << "room list" << "roomFilterLine" << "a\nb" << "a b";
    QTest::newRow("login nick") << "login" << "nickEdit" << "a\nb" << "a b";
    QTest::newRow("login password") << "login" << "passwordEdit" << "a\rb" << "a b";
    QTest::newRow("registration full name") << "registration" << "fullNameEdit" << "a\nb" << "a b";
    QTest::newRow("registration e-mail") << "registration" << "emailEdit" << "a\nb" << "a b";
    QTest::newRow("registration nick") << "registration" << "nickEdit" << "a\u2028b" << "a b";
    QTest::newRow("room selector") << "room" << "selector" << "a\nb" << "a b";
    QTest::newRow("custom action") << "room" << "customActionLine" << "waves\r\nhello" << "waves hello";
    QTest::newRow("registration password") << "registration" << "passwordEdit" << "a\nb" << "a b";
}

void TestSingleLineFields::pastedLineBreaksBecomeSpaces()
{
    QFETCH(QString, window);
    QFETCH(QString, field);
    QFETCH(QString, clipboard);
    QFETCH(QString, text);
    Windows windows;
    QLineEdit* edit = windows.Field(window, field);
    QVERIFY(edit);
    edit->clear();  // the room list's letters field starts with "a"
    QApplication::clipboard()->setText(clipboard);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), text);
    // Typing goes on after the pasted text.
    QTest::keyClicks(edit, QStringLiteral("!"));
    QCOMPARE(edit->text(), text + u'!');
}

QTEST_MAIN(TestSingleLineFields)
#include "tst_single_line_fields.moc"
