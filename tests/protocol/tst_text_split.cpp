// Splitting a long outgoing chat text into lines the server will not cut.
#include "protocol/irc/text_split.h"

#include <QRandomGenerator>
#include <QtTest>

#include <array>

class TestTextSplit : public QObject {
    Q_OBJECT
private slots:
    void splits_data();
    void splits();
    void piecesLookLikeTheWhole_data();
    void piecesLookLikeTheWhole();
};

namespace {

QList<QByteArray> Pieces(const std::vector<std::string>& pieces)
{
    QList<QByteArray> out;
    for (const std::string& p : pieces) out << QByteArray::fromStdString(p);
    return out;
}

// One visible character with the formatting it is drawn in, read the way a
// receiving client reads a line.
struct Styled {
    QByteArray character;
    std::array<bool, 6> toggles{};  // bold, italic, underline, reverse, strike, monospace
    int foreground = -1;
    int background = -1;
    bool operator==(const Styled&) const = default;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int ReadNumber(const QByteArray& line, qsizetype& i)
{
    int n = line[i++] - '0';
    if (i < line.size() && IsDigit(line[i])) n = n * 10 + (line[i++] - '0');
    return n;
}

QList<Styled> Read(const QByteArray& line)
{
    static const QByteArray toggleBytes("\x02\x1d\x1f\x16\x1e\x11");
    QList<Styled> out;
    Styled style;
    for (qsizetype i = 0; i < line.size();) {
        const char c = line[i];
        if (const qsizetype t = toggleBytes.indexOf(c); t >= 0) {
            style.toggles[size_t(t)] = !style.toggles[size_t(t)];
            ++i;
        } else if (c == '\x0f') {
            style = Styled{};
            ++i;
        } else if (c == '\x03') {
            ++i;
            if (i < line.size() && IsDigit(line[i])) {
                style.foreground = ReadNumber(line, i);
                if (i + 1 < line.size() && line[i] == ',' && IsDigit(line[i + 1])) {
                    ++i;
                    style.background = ReadNumber(line, i);
                }
            } else {
                style.foreground = style.background = -1;
            }
        } else {
            // One UTF-8 character: its lead byte and the continuation bytes after it.
            qsizetype end = i + 1;
            while (end < line.size() && (uchar(line[end]) & 0xC0) == 0x80) ++end;
            Styled ch = style;
            ch.character = line.mid(i, end - i);
            out << ch;
            i = end;
        }
    }
    return out;
}

// Words of ASCII, two- and four-byte characters, with formatting codes
// between and inside them; single spaces only, so that a cut space is found
// again by position.
QByteArray RandomText(quint32 seed, int words)
{
    QRandomGenerator random(seed);
    const QList<QByteArray> parts{"a", "bc", "def", "\xc3\xa9", "\xf0\x9f\x98\x80", "7", ",",
                                  "\x02", "\x1f", "\x1d", "\x16", "\x1e", "\x11", "\x0f", "\x03",
                                  "\x03" "4", "\x03" "12", "\x03" "3,15", "\x03" "09,1"};
    QByteArray text;
    for (int w = 0; w < words; ++w) {
        if (w > 0) text += ' ';
        const int length = 1 + int(random.bounded(6));
        for (int k = 0; k < length; ++k) text += parts[int(random.bounded(int(parts.size())))];
        text += 'x';  // every word shows at least one character
    }
    return text;
}

}  // namespace

void TestTextSplit::splits_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("budget");
    QTest::addColumn<QList<QByteArray>>("pieces");

    using L = QList<QByteArray>;
    QTest::newRow("empty") << QByteArray() << 10 << L{""};
    QTest::newRow("fits, codes and all") << QByteArray("\x03" "4hi \x02you") << 10 << L{"\x03" "4hi \x02you"};
    QTest::newRow("exact fit") << QByteArray("abcde fghi") << 10 << L{"abcde fghi"};
    QTest::newRow("one byte over") << QByteArray("abcd efghij") << 10 << L{"abcd", "efghij"};
    QTest::newRow("ASCII with spaces") << QByteArray("the quick brown fox jumps") << 10
                                       << L{"the quick", "brown fox", "jumps"};
    QTest::newRow("space right at the limit") << QByteArray("abcdefghij klm") << 10 << L{"abcdefghij", "klm"};
    QTest::newRow("no spaces at all") << QByteArray("abcdefghijklmnopqrstuvwxy") << 10
                                      << L{"abcdefghij", "klmnopqrst", "uvwxy"};
    QTest::newRow("leading space is not a cut") << QByteArray(" abcdefghijkl") << 10 << L{" abcdefghi", "jkl"};
    QTest::newRow("two-byte character across the limit")
        << QByteArray("aaaaaaaa\xc3\xa9" "bbb") << 9 << L{"aaaaaaaa", "\xc3\xa9" "bbb"};
    QTest::newRow("four-byte character across the limit")
        << QByteArray("aaaaaaa\xf0\x9f\x98\x80" "b") << 9 << L{"aaaaaaa", "\xf0\x9f\x98\x80" "b"};
    QTest::newRow("budget smaller than a character")
        << QByteArray("\xc3\xa9\xc3\xa9") << 1 << L{"\xc3\xa9", "\xc3\xa9"};
    QTest::newRow("colour code across the limit")
        << QByteArray("abcdefg\x03" "12,05xyz") << 10 << L{"abcdefg", "\x03" "12,05xyz"};
    QTest::newRow("styles carried over") << QByteArray("\x02" "aaa bbb \x1d" "ccc ddd") << 10
                                         << L{"\x02" "aaa bbb", "\x02\x1d" "ccc ddd"};
    QTest::newRow("every toggle carried over")
        << QByteArray("\x16\x1f\x02\x1d\x1e\x11" "ab cdefghijk") << 10
        << L{"\x16\x1f\x02\x1d\x1e\x11" "ab", "\x16\x1f\x02\x1d\x1e\x11" "cdef", "\x16\x1f\x02\x1d\x1e\x11" "ghij",
             "\x16\x1f\x02\x1d\x1e\x11" "k"};
    QTest::newRow("styles in front in one order") << QByteArray("\x11\x03" "4\x02" "ab cdefgh") << 10
                                                  << L{"\x02\x11\x03" "4ab", "\x02\x11\x03" "4cdefgh"};
    QTest::newRow("style switched off twice is off") << QByteArray("\x02" "a\x02" "bcdefgh ijk") << 10
                                                     << L{"\x02" "a\x02" "bcdefgh", "ijk"};
    QTest::newRow("one-digit colour before a digit")
        << QByteArray("\x03" "4abcdefg 5th") << 10 << L{"\x03" "4abcdefg", "\x03" "045th"};
    QTest::newRow("colour before a comma and digit")
        << QByteArray("\x03" "4abcdefg ,5x") << 10 << L{"\x03" "4abcdefg", "\x03" "4\x02\x02,5x"};
    QTest::newRow("new foreground keeps the background")
        << QByteArray("\x03" "3,7ab \x03" "9cdefgh") << 10 << L{"\x03" "3,7ab", "\x03" "9,7cdefgh"};
    QTest::newRow("one-digit background before a digit")
        << QByteArray("\x03" "3,7abcdefgh 5x") << 12 << L{"\x03" "3,7abcdefgh", "\x03" "3,075x"};
    QTest::newRow("reset ends everything") << QByteArray("\x02\x03" "4ab\x0f" "cdef ghi") << 10
                                           << L{"\x02\x03" "4ab\x0f" "cdef", "ghi"};
    QTest::newRow("bare colour code ends the colour")
        << QByteArray("\x03" "4ab\x03" "cdefg hij") << 10 << L{"\x03" "4ab\x03" "cdefg", "hij"};
    QTest::newRow("codes at the cut join the carried ones")
        << QByteArray("abcdefghij \x02\x03" "5klm") << 10 << L{"abcdefghij", "\x02\x03" "5klm"};
    QTest::newRow("nothing but codes after the cut") << QByteArray("abcdefghij \x02\x0f") << 10 << L{"abcdefghij"};
}

void TestTextSplit::splits()
{
    QFETCH(QByteArray, text);
    QFETCH(int, budget);
    QFETCH(QList<QByteArray>, pieces);
    QCOMPARE(Pieces(SplitChatText(text.toStdString(), size_t(budget))), pieces);
}

void TestTextSplit::piecesLookLikeTheWhole_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("words");
    QTest::addColumn<int>("budget");
    for (quint32 seed = 1; seed <= 12; ++seed) {
        const int budget = std::array{24, 40, 64, 400}[seed % 4];
        QTest::addRow("seed %u, budget %d", seed, budget) << seed << 60 + int(seed) * 20 << budget;
    }
}

void TestTextSplit::piecesLookLikeTheWhole()
{
    // Each line on its own, read from a plain start, shows the same characters
    // in the same formatting as that stretch of the whole text; the cuts only
    // take out the spaces they replace.
    QFETCH(quint32, seed);
    QFETCH(int, words);
    QFETCH(int, budget);
    const QByteArray text = RandomText(seed, words);
    const std::vector<std::string> pieces = SplitChatText(text.toStdString(), size_t(budget));
    QVERIFY(pieces.size() > 1);

    const QList<Styled> whole = Read(text);
    qsizetype at = 0;
    for (size_t p = 0; p < pieces.size(); ++p) {
        const QByteArray piece = QByteArray::fromStdString(pieces[p]);
        QVERIFY2(piece.size() <= budget, piece.constData());
        QVERIFY2(QString::fromUtf8(piece).toUtf8() == piece, piece.constData());  // no character cut in two
        const QList<Styled> shown = Read(piece);
        QVERIFY2(!shown.isEmpty(), piece.constData());
        if (p > 0 && at < whole.size() && whole[at].character == " " && shown.front().character != " ")
            ++at;  // the space this cut replaced
        QVERIFY2(whole.mid(at, shown.size()) == shown, qPrintable(QStringLiteral("piece %1").arg(p)));
        at += shown.size();
    }
    QCOMPARE(at, whole.size());
}

QTEST_APPLESS_MAIN(TestTextSplit)
#include "tst_text_split.moc"
