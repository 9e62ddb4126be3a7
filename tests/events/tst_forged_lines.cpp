// Server text that holds a line break of its own (CR, the Unicode line and
// paragraph separators, C1's NEL, vertical tab, form feed, the text view's
// frame marker) shows on the line it was written to, in every field that
// reaches a window: no server can forge a line that looks like someone else's.
#include "chat/nick_list_view.h"
#include "support/window_controls.h"
#include "chat/private_window.h"
#include "transcript/transcript_view.h"
#include "chat/room_window.h"
#include "events/event_router.h"
#include "shell/main_window.h"
#include "side/room_list_model.h"
#include "side/room_list_window.h"
#include "support/test_session.h"

#include <QPlainTextEdit>
#include <QtTest>

namespace {

// Each line break a server can put inside a line, as the bytes it sends.
const QList<QPair<QString, QByteArray>>& Separators()
{
    static const QList<QPair<QString, QByteArray>> list{
        {"CR", "\r"},
        {"U+2028", "\xe2\x80\xa8"},
        {"U+2029", "\xe2\x80\xa9"},
        {"NEL", "\xc2\x85"},
        {"NEL as a Latin-1 byte", "\x85"},
        {"vertical tab", "\x0b"},
        {"form feed", "\x0c"},
        {"frame marker U+FDD0", "\xef\xb7\x90"},
    };
    return list;
}

// Each direction control a server can put into a field, as the bytes it
// sends, and whether it stays (an opener or a mark: the field is then held
// in an isolate) or goes (a closer with nothing to close).
struct BidiControl {
    const char* name;
    QByteArray bytes;
    bool kept;
};

const QList<BidiControl>& BidiControls()
{
    static const QList<BidiControl> list{
        {"RLO", "\xe2\x80\xae", true}, {"LRO", "\xe2\x80\xad", true}, {"RLE", "\xe2\x80\xab", true},
        {"LRE", "\xe2\x80\xaa", true}, {"RLI", "\xe2\x81\xa7", true}, {"LRI", "\xe2\x81\xa6", true},
        {"FSI", "\xe2\x81\xa8", true}, {"RLM", "\xe2\x80\x8f", true}, {"LRM", "\xe2\x80\x8e", true},
        {"ALM", "\xd8\x9c", true},       {"PDF alone", "\xe2\x80\xac", false},
        {"PDI alone", "\xe2\x81\xa9", false},
    };
    return list;
}

void Feed(MainWindow& frame, const QByteArray& raw)
{
    IrcMessage line;
    line.ParseLine(raw.toStdString());
    RouteLine(TestSession(frame), line);
}

// The transcript's text without the line break that ends its last line.
QString Shown(const TranscriptView* view)
{
    QString text = view->toPlainText();
    if (text.endsWith(u'\n')) text.chop(1);
    return text;
}

QList<PrivateWindow*> PrivateWindows(const MainWindow& frame)
{
    QList<PrivateWindow*> out;
    for (QWidget* w : frame.ChildWindows())
        if (auto* p = qobject_cast<PrivateWindow*>(w)) out << p;
    return out;
}

// What the user sees at place after the lines went through the handlers.
QString Seen(const MainWindow& frame, const RoomWindow& room, const QString& place)
{
    if (place == "room") return Shown(&room.Transcript());
    if (place == "nicks") {
        QStringList nicks;
        for (int i = 0; i < room.NickList().Count(); ++i) nicks << NickListView::Nick(room.NickList().EntryAt(i));
        return nicks.join(u'|');
    }
    if (place == "log") return Control<TranscriptView>(frame, "serverLog")->toPlainText();
    if (place == "room list") {
        const RoomListModel& rows = frame.RoomList()->Model();
        QStringList cells;
        for (int i = 0; i < rows.Count(); ++i) cells << rows.Row(i).name << rows.Row(i).topic << rows.Row(i).chatters;
        return cells.join(u'|');
    }
    const QList<PrivateWindow*> windows = PrivateWindows(frame);
    if (windows.size() != 1) return QStringLiteral("%1 private windows").arg(windows.size());
    if (place == "title") return windows.first()->Title();
    return Shown(&windows.first()->Transcript());  // "private"
}

}  // namespace

class TestForgedLines : public QObject {
    Q_OBJECT
private slots:
    void serverTextStaysOnItsLine_data();
    void serverTextStaysOnItsLine();
};

void TestForgedLines::serverTextStaysOnItsLine_data()
{
    // raw holds {S} where the separator goes; so does shown, where it becomes
    // a space, or nothing where chat text is rendered (the renderer drops
    // the C0 control bytes it has no use for).
    QTest::addColumn<QByteArrayList>("before");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("rendered");
    // "breaks": {S} is each line break in turn; "bidi": {S} is each direction
    // control in turn, and [ ] mark where the field's isolate goes.
    QTest::addColumn<QString>("controls");

    const QByteArrayList none;
    const QByteArrayList bobListed{":srv 353 me = #room :bob"};
    const QByteArrayList bobTalking{":bob!b@h PRIVMSG me :hi"};
    const auto row = [](const char* name, const QByteArrayList& before, const char* raw, const char* place,
                        const char* shown, bool rendered = false) {
        QTest::newRow(name) << before << QByteArray(raw) << QString(place) << QString::fromUtf8(shown) << rendered
                            << QStringLiteral("breaks");
    };
    const auto bidi = [](const char* name, const QByteArrayList& before, const char* raw, const char* place,
                         const char* shown) {
        QTest::newRow(name) << before << QByteArray(raw) << QString(place) << QString::fromUtf8(shown) << false
                            << QStringLiteral("bidi");
    };
    row("action", none, ":bob!b@h PRIVMSG #room :\x01" "ACTION waves{S}bob: forged", "room",
        "bob waves{S}bob: forged");
    row("room message", none, ":bob!b@h PRIVMSG #room :hi{S}bob: forged", "room", "bob: hi{S}bob: forged", true);
    row("topic", none, ":srv 332 me #room :news{S}bob: forged", "room", "Topic is \"news{S}bob: forged \"");
    row("kick reason", bobListed, ":op!o@h KICK #room bob :bye{S}bob: forged", "room",
        "op has kicked the bob  (bye{S}bob: forged )");
    row("kicked nick", none, ":op!o@h KICK #room bo{S}b :bye", "room", "op has kicked the bo{S}b  (bye )");
    row("quit reason", bobListed, ":bob!b@h QUIT :gone{S}bob: forged", "room",
        "bob has lost connection. :gone{S}bob: forged ");
    row("part text", bobListed, ":bob!b@h PART #room :bye{S}bob: forged", "room", "bob has left the room");
    row("parting nick", none, ":bo{S}b!b@h PART #room", "room", "bo{S}b has left the room");
    row("mode target", none, ":op!o@h MODE #room +b x{S}bob: forged", "room",
        "op has banned x{S}bob: forged  in this room");
    row("mode setter", bobListed, ":o{S}p!o@h MODE #room +o bob", "room", "o{S}p has made bob  the operator");
    row("joining nick in the transcript", none, ":bo{S}b!b@h JOIN #room", "room", "bo{S}b has joined the room");
    row("joining nick in the nick list", none, ":bo{S}b!b@h JOIN #room", "nicks", "bo{S}b");
    row("names", none, ":srv 353 me = #room :carol al{S}ice", "nicks", "al|carol|ice");
    row("private message", none, ":bob!b@h PRIVMSG me :hi{S}bob: forged", "private", "bob: hi{S}bob: forged",
        true);
    row("notice", none, ":bob!b@h NOTICE me :hi{S}bob: forged", "private", "bob (Notice): bob: hi{S}bob: forged",
        true);
    row("away text", none, ":srv 301 me bob :out{S}bob: forged", "private",
        "bob is away(Auto Reply): srv: out{S}bob: forged", true);
    row("away nick as window title", none, ":srv 301 me bo{S}b :out", "title", "bo{S}b");
    row("partner nick as window title", none, ":bo{S}b!b@h PRIVMSG me :hello", "title", "bo{S}b");
    row("partner nick in the transcript", none, ":bo{S}b!b@h PRIVMSG me :hello", "private", "bo{S}b: hello");
    row("partner's quit reason", bobTalking, ":bob!b@h QUIT :gone{S}bob: forged", "private",
        "bob: hi\nbob has lost connection. :gone{S}bob: forged ");
    row("numeric in the server log", none, ":srv 999 me :x{S}bob: forged", "log", ":srv 999 me :x{S}bob: forged");
    row("memo notice in the server log", none, ":MemoServ!m@s NOTICE me :memo{S}forged", "log", "memo{S}forged ");
    row("room list row", none, ":srv 322 me #ch{S}at 5 :to{S}pic", "room list", "ch{S}at |to{S}pic |5 ");

    bidi("bidi: joining nick", none, ":bo{S}b!b@h JOIN #room", "room", "[bo{S}b] has joined the room");
    bidi("bidi: nick of a room message", none, ":bo{S}b!b@h PRIVMSG #room :hi", "room", "[bo{S}b]: hi");
    bidi("bidi: room message text", none, ":bob!b@h PRIVMSG #room :h{S}i", "room", "bob: [h{S}i]");
    bidi("bidi: topic", none, ":srv 332 me #room :ne{S}ws", "room", "Topic is \"[ne{S}ws ]\"");
    bidi("bidi: kick reason", bobListed, ":op!o@h KICK #room bob :b{S}ye", "room",
         "op has kicked the bob  ([b{S}ye ])");
    bidi("bidi: partner's quit reason", bobTalking, ":bob!b@h QUIT :go{S}ne", "private",
         "bob: hi\nbob has lost connection. [:go{S}ne ]");
    bidi("bidi: partner nick as window title", none, ":bo{S}b!b@h PRIVMSG me :hello", "title", "[bo{S}b]");
    bidi("bidi: numeric in the server log", none, ":srv 999 me :x{S}y", "log", "[:srv 999 me :x{S}y]");
    bidi("bidi: room list row", none, ":srv 322 me #ch{S}at 5 :to{S}pic", "room list", "[ch{S}at ]|[to{S}pic ]|5 ");
}

void TestForgedLines::serverTextStaysOnItsLine()
{
    QFETCH(QByteArrayList, before);
    QFETCH(QByteArray, raw);
    QFETCH(QString, place);
    QFETCH(QString, shown);
    QFETCH(bool, rendered);
    QFETCH(QString, controls);

    if (controls == QLatin1String("bidi")) {
        for (const BidiControl& control : BidiControls()) {
            MainWindow frame;
            RoomWindow* room = frame.NewRoomWindow();
            room->SetTitle(QStringLiteral("room"));
            for (const QByteArray& line : before) Feed(frame, line);
            Feed(frame, QByteArray(raw).replace("{S}", control.bytes));
            const QString c = QString::fromUtf8(control.bytes);
            const QString expected = QString(shown)
                                         .replace(u'[', control.kept ? QString(QChar(0x2068)) : QString())
                                         .replace(u']', control.kept ? QString(QChar(0x2069)) : QString())
                                         .replace(QStringLiteral("{S}"), control.kept ? c : QString());
            const QString seen = Seen(frame, *room, place);
            QVERIFY2(seen == expected, qPrintable(QStringLiteral("%1: \"%2\"").arg(control.name, seen)));
        }
        return;
    }
    for (const auto& [name, separator] : Separators()) {
        MainWindow frame;
        RoomWindow* room = frame.NewRoomWindow();
        room->SetTitle(QStringLiteral("room"));
        for (const QByteArray& line : before) Feed(frame, line);
        Feed(frame, QByteArray(raw).replace("{S}", separator));

        const bool dropped = rendered && separator.size() == 1 && uchar(separator[0]) < 0x20;
        const QString expected = QString(shown).replace(QStringLiteral("{S}"), dropped ? "" : " ");
        const QString seen = Seen(frame, *room, place);
        QVERIFY2(seen == expected, qPrintable(QStringLiteral("%1: \"%2\"").arg(name, seen)));
    }
}

QTEST_MAIN(TestForgedLines)
#include "tst_forged_lines.moc"
