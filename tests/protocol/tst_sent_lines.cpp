// Every line the client sends, in its exact form.
#include "protocol/irc/sent_lines.h"

#include <QtTest>

class TestSentLines : public QObject {
    Q_OBJECT
private slots:
    void catalogue_data();
    void catalogue();
    void longChatTextFitsRelayedLines_data();
    void longChatTextFitsRelayedLines();
    void credentialsInPieces_data();
    void credentialsInPieces();
};

void TestSentLines::longChatTextFitsRelayedLines_data()
{
    QTest::addColumn<int>("kind");  // 0 room message, 1 room action, 2 private message
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("words");
    QTest::addColumn<int>("lines");
    QTest::newRow("short room message") << 0 << QByteArray("lobby") << 5 << 1;
    QTest::newRow("600 bytes to a room") << 0 << QByteArray("lobby") << 100 << 2;
    QTest::newRow("600 bytes as an action") << 1 << QByteArray("lobby") << 100 << 2;
    QTest::newRow("600 bytes to a partner") << 2 << QByteArray("bob") << 100 << 2;
    QTest::newRow("long room name takes text room") << 0 << QByteArray(200, 'r') << 100 << 3;
}

void TestSentLines::longChatTextFitsRelayedLines()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, target);
    QFETCH(int, words);
    QFETCH(int, lines);
    std::string text;
    for (int i = 0; i < words; ++i) text += (i ? " w" : "w") + std::to_string(100 + i % 900);  // 6 bytes a word
    const std::string to = target.toStdString();
    const std::vector<std::string> built = kind == 0   ? sent::RoomMessageLines(to, text)
                                           : kind == 1 ? sent::RoomActionLines(to, text)
                                                       : sent::PrivateMessageLines(to, text);
    QCOMPARE(int(built.size()), lines);
    const std::string empty = kind == 0 ? sent::RoomMessageLine(to, "") : kind == 1 ? sent::RoomActionLine(to, "")
                                                                                   : sent::PrivateMessageLine(to, "");
    std::string joined;
    for (const std::string& line : built) {
        // ":" + a long nick!user@host (30 + 10 + 63 bytes) + " " in front still fits 512 with CR LF.
        QVERIFY2(1 + 103 + 1 + line.size() + 2 <= 512, line.c_str());
        QCOMPARE(line.substr(0, empty.size()), empty);
        joined += (joined.empty() ? "" : " ") + line.substr(empty.size());
    }
    QCOMPARE(joined, text);  // cut at spaces, nothing lost
}

void TestSentLines::catalogue_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char* name, const std::string& built, const char* expected) {
        QTest::newRow(name) << QByteArray::fromStdString(built) << QByteArray(expected);
    };
    row("1 user", sent::UserLine("ann"), "user ann localhost localhost ann");
    row("2 nick", sent::NickLine("ann"), "nick ann");
    row("3 registration user", sent::RegistrationUserLine("ann", "Ann Smith"), "user i ann localhost localhost Ann Smith");
    row("4 identify", sent::IdentifyLine("s3cret"), "nickserv identify s3cret");
    row("5 register", sent::RegisterNickLine("pw", "a@b.c"), "nickserv register pw a@b.c");
    row("6 pong", sent::PongLine("abc"), "PONG :abc");
    row("6 pong for a raw ping", PongLineFor("PING :12345"), "PONG :12345");
    row("6 pong for a ping without colon", PongLineFor("PING srv"), "PONG :srv");
    row("7 memoserv", sent::MemoServListLine(), "memoserv list");
    row("8 lusers", sent::LusersLine(), "lusers");
    row("9 quit", sent::QuitLine(), "quit");
    row("10 away", sent::AwayLine("lunch"), "away :lunch");
    row("10 away empty", sent::AwayLine(""), "away :");
    row("11 back", sent::BackLine(), "away");
    row("12 join", sent::JoinLine("Germany"), "join #Germany");
    row("12 join from room list keeps its space", sent::JoinLine("lobby "), "join #lobby ");
    row("13 part selector", sent::PartSelectorLine("Germany"), "part #Germany");
    row("14 part room after leaving", sent::PartRoomLine(""), "part #");
    row("15 room message", sent::RoomMessageLine("Germany", "\x02\x03" "4hi"), "privmsg #Germany :\x02\x03" "4hi");
    row("15 empty room message", sent::RoomMessageLine("r", ""), "privmsg #r :");
    row("16 action dance", sent::RoomActionLine("Germany", actions::Dance()), "privmsg #Germany :\x01" "Action is dancing all round in the room");
    row("16 action laugh", sent::RoomActionLine("r", actions::Laugh()), "privmsg #r :\x01" "Action is laughing out loudly");
    row("16 action jump", sent::RoomActionLine("r", actions::Jump()), "privmsg #r :\x01" "Action is jumping all round in the room");
    row("16 action scared", sent::RoomActionLine("r", actions::Scared()), "privmsg #r :\x01" "Action is scared");
    row("16 action sing", sent::RoomActionLine("r", actions::Sing()), "privmsg #r :\x01" "Action is singing loudly");
    row("16 action kiss", sent::RoomActionLine("r", actions::Kiss("Bob")), "privmsg #r :\x01" "Action grabs Bob gently and starts kissing");
    row("16 action slap", sent::RoomActionLine("r", actions::Slap("Bob")),
        "privmsg #r :\x01" "Action slaps Bob on the cheek, and whole room shouts \"Wow.... Great Shot\"");
    row("16 action love", sent::RoomActionLine("r", actions::Love("Bob")), "privmsg #r :\x01" "Action loves Bob");
    row("16 action date", sent::RoomActionLine("r", actions::OfferDate("Bob")), "privmsg #r :\x01" "Action offers Bob a Date");
    row("16 custom empty", sent::RoomActionLine("r", ""), "privmsg #r :\x01" "Action ");
    row("17 ban", sent::BanLine("r", "bob"), "mode #r +b bob");
    row("18 unban", sent::UnbanLine("r", "bob"), "mode #r -b bob");
    row("18 unban a bare nick lifts the server's mask", sent::UnbanLine("r", sent::BanMaskOf("bob")), "mode #r -b bob!*@*");
    row("18 unban a mask as it is", sent::UnbanLine("r", sent::BanMaskOf("*!*@10.0.0.*")), "mode #r -b *!*@10.0.0.*");
    row("19 make host", sent::MakeHostLine("r", "bob"), "mode #r +o bob");
    row("20 de-host", sent::DeHostLine("r", "bob"), "mode #r -o bob");
    row("21 kick", sent::KickLine("r", "bob", "behave"), "kick #r bob :behave");
    row("21 kick empty reason", sent::KickLine("r", "bob", ""), "kick #r bob :");
    row("22 invite", sent::InviteLine("carol", "r"), "INVITE carol #r");
    row("23 advertise", sent::AdvertiseLine("dave", "come to #r"), "privmsg dave :come to #r");
    row("24 who", sent::WhoLine("bob"), "who bob");
    row("25 private", sent::PrivateMessageLine("bob", "\x02\x03" "4hi"), "privmsg bob :\x02\x03" "4hi");
    row("26 list", sent::ListLine(), "LIST");
    row("27 list starting", sent::ListStartingLine("a"), "LIST #a*");
    row("27 list starting empty", sent::ListStartingLine(""), "LIST #*");
    row("credentials, known encoding", sent::AuthenticateCredentialLines("jilles", "sesame").front(),
        "AUTHENTICATE amlsbGVzAGppbGxlcwBzZXNhbWU=");
    row("credentials, one padding byte", sent::AuthenticateCredentialLines("ab", "c").front(), "AUTHENTICATE YWIAYWIAYw==");
    row("credentials, no padding", sent::AuthenticateCredentialLines("ab", "cd").front(), "AUTHENTICATE YWIAYWIAY2Q=");
}

void TestSentLines::credentialsInPieces_data()
{
    QTest::addColumn<int>("passwordLength");  // with the nick "n": 4 bytes more before encoding
    QTest::addColumn<QList<int>>("pieces");   // base64 bytes per line; 1 for a closing "+"
    QTest::newRow("short") << 8 << QList<int>{16};
    QTest::newRow("just under 400") << 293 << QList<int>{396};
    QTest::newRow("400 with padding needs a closing +") << 295 << QList<int>{400, 1};
    QTest::newRow("exactly 400 needs a closing +") << 296 << QList<int>{400, 1};
    QTest::newRow("just over 400") << 297 << QList<int>{400, 4};
    QTest::newRow("exactly 800") << 596 << QList<int>{400, 400, 1};
    QTest::newRow("high bytes") << -20 << QList<int>{32};
}

void TestSentLines::credentialsInPieces()
{
    QFETCH(int, passwordLength);
    QFETCH(QList<int>, pieces);
    const std::string password = passwordLength >= 0 ? std::string(std::size_t(passwordLength), 'p')
                                                     : std::string(std::size_t(-passwordLength), '\xe9');
    const std::vector<std::string> lines = sent::AuthenticateCredentialLines("n", password);
    QCOMPARE(int(lines.size()), pieces.size());
    QByteArray encoded;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QCOMPARE(lines[i].substr(0, 13), std::string("AUTHENTICATE "));
        const std::string piece = lines[i].substr(13);
        QCOMPARE(int(piece.size()), pieces[int(i)]);
        if (piece != "+") encoded += QByteArray::fromStdString(piece);
    }
    const auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    QVERIFY(decoded);
    QCOMPARE(*decoded, QByteArray("n\0n\0", 4) + QByteArray::fromStdString(password));
}

void TestSentLines::catalogue()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built, expected);
}

QTEST_APPLESS_MAIN(TestSentLines)
#include "tst_sent_lines.moc"
