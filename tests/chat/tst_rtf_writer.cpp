// Saved transcripts read back by an independent RTF reader (unrtf): text,
// styles and pictures must all come back.
#include "chat/chat_saving.h"
#include "chat/emoticons.h"
#include "transcript/time_stamps.h"
#include "transcript/transcript_export.h"
#include "transcript/transcript_view.h"
#include "transcript/rtf_writer.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace {

// What to put into the transcript: text with a look ("b i u s m fg=#rrggbb
// bg=#rrggbb"), "\n" for a new paragraph, or "pic=N" with empty text.
using Piece = std::pair<QString, QString>;
using Pieces = QList<Piece>;

void Apply(TranscriptView& view, const QString& look)
{
    const QStringList words = look.split(u' ', Qt::SkipEmptyParts);
    SetSelBold(view, words.contains(u"b"));
    SetSelItalic(view, words.contains(u"i"));
    SetSelUnderline(view, words.contains(u"u"));
    SetSelStrikeOut(view, words.contains(u"s"));
    SetSelMonospace(view, words.contains(u"m"));
    SetSelColor(view, Qt::black);
    SetSelBackground(view, QColor());
    for (const QString& word : words) {
        if (word.startsWith(u"fg="))
            SetSelColor(view, QColor(word.mid(3)));
        else if (word.startsWith(u"bg="))
            SetSelBackground(view, QColor(word.mid(3)));
    }
}

void Fill(TranscriptView& view, const Pieces& pieces)
{
    for (const auto& [text, look] : pieces) {
        if (look.startsWith(u"pic=")) {
            InsertPicture(view, EmoticonPicture(look.mid(4).toInt()));
            continue;
        }
        Apply(view, look);
        SetSelText(view, text);
    }
}

// The look of text read back from the reader's HTML, in the same words.
QString LookOf(const QTextCharFormat& format)
{
    QStringList look;
    if (format.fontWeight() >= QFont::Bold)
        look << QStringLiteral("b");
    if (format.fontItalic())
        look << QStringLiteral("i");
    if (format.fontUnderline())
        look << QStringLiteral("u");
    if (format.fontStrikeOut())
        look << QStringLiteral("s");
    if (format.fontFamilies().toStringList().contains(QStringLiteral("Courier New")))
        look << QStringLiteral("m");
    const QColor foreground = format.foreground().color();
    if (format.hasProperty(QTextFormat::ForegroundBrush) && foreground != QColor(Qt::black))
        look << QStringLiteral("fg=") + foreground.name();
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        look << QStringLiteral("bg=") + format.background().color().name();
    return look.join(u' ');
}

// Text runs of the read-back document, neighbours of one look merged, with
// "\n" for line breaks; pictures are checked separately.
Pieces TextRunsOf(const QTextDocument& document)
{
    Pieces runs;
    auto add = [&runs](const QString& text, const QString& look) {
        if (text.isEmpty())
            return;
        if (!runs.isEmpty() && runs.last().second == look && text != u'\n' && runs.last().first != u'\n')
            runs.last().first += text;
        else
            runs.append({text, look});
    };
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            add(QStringLiteral("\n"), QString());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat())
                continue;
            QString text = fragment.text();
            text.replace(QChar::LineSeparator, u'\n');
            text.replace(QChar::Nbsp, u' ');
            // A line break takes the look of nothing around it.
            const QStringList lines = text.split(u'\n');
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    add(QStringLiteral("\n"), QString());
                add(lines[i], LookOf(fragment.charFormat()));
            }
        }
    }
    // The HTML parser turns the line end after the reader's last tag into a
    // space; the transcript's own last line break goes with it.
    while (!runs.isEmpty()) {
        QString& last = runs.last().first;
        while (!last.isEmpty() && (last.endsWith(u' ') || last.endsWith(u'\n')))
            last.chop(1);
        if (!last.isEmpty())
            break;
        runs.removeLast();
    }
    return runs;
}

QString Describe(const Pieces& runs)
{
    QStringList parts;
    for (const auto& [text, look] : runs)
        parts << QStringLiteral("[%1|%2]").arg(text, look);
    return parts.join(u' ');
}

}  // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void roundTripsThroughReader_data();
    void roundTripsThroughReader();
    void writesPlainAsciiOnly();
    void slicedSnapshotKeepsTheTextAsItWas_data();
    void slicedSnapshotKeepsTheTextAsItWas();
    void saveEndsWhenTheWindowGoes();

private:
    // Saves the view, runs the reader on the file in dir; returns its HTML.
    QString ReadBack(const TranscriptView& view, const QTemporaryDir& dir);

    QString unrtf_;
};

void TestRtfWriter::initTestCase()
{
    TimeStampSetting::Instance().SetFormat(TimeStampFormat::Off);
    unrtf_ = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
}

QString TestRtfWriter::ReadBack(const TranscriptView& view, const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("chat.rtf"));
    SaveTranscriptRtf(view, path);
    QProcess reader;
    reader.setWorkingDirectory(dir.path());  // it writes the pictures it finds here
    reader.start(unrtf_, {QStringLiteral("--html"), path});
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0)
        return QString();
    return QString::fromUtf8(reader.readAllStandardOutput());
}

void TestRtfWriter::roundTripsThroughReader_data()
{
    QTest::addColumn<Pieces>("written");
    QTest::addColumn<Pieces>("readBack");
    QTest::addColumn<QList<int>>("pictures");

    QTest::newRow("braces and backslashes")
        << Pieces{{QStringLiteral("a \\{}b} {c\\"), ""}} << Pieces{{QStringLiteral("a \\{}b} {c\\"), ""}}
        << QList<int>{};
    QTest::newRow("non-ASCII") << Pieces{{QStringLiteral(u"Grüße ☺ naïve Ωmega €"), ""}}
                               << Pieces{{QStringLiteral(u"Grüße ☺ naïve Ωmega €"), ""}} << QList<int>{};
    QTest::newRow("odd nick") << Pieces{{QStringLiteral("[]\\^{}|`_-: hi"), ""}}
                              << Pieces{{QStringLiteral("[]\\^{}|`_-: hi"), ""}} << QList<int>{};
    QTest::newRow("control character kept") << Pieces{{QStringLiteral(u"a\u0001b"), ""}}
                                            << Pieces{{QStringLiteral(u"a\u0001b"), ""}} << QList<int>{};
    QTest::newRow("paragraphs") << Pieces{{"one\ntwo\nthree", ""}}
                                << Pieces{{"one", ""}, {"\n", ""}, {"two", ""}, {"\n", ""}, {"three", ""}}
                                << QList<int>{};
    QTest::newRow("styles")
        << Pieces{{"bold", "b"}, {" ", ""}, {"italic", "i"}, {" ", ""}, {"under", "u"}, {" ", ""},
                  {"struck", "s"}, {" ", ""}, {"all", "b i u s"}}
        << Pieces{{"bold", "b"}, {" ", ""}, {"italic", "i"}, {" ", ""}, {"under", "u"}, {" ", ""},
                  {"struck", "s"}, {" ", ""}, {"all", "b i u s"}}
        << QList<int>{};
    QTest::newRow("colours")
        << Pieces{{"red", "fg=#ff0000"}, {" on blue", "fg=#00ff00 bg=#000080"}, {" navy", "fg=#000080"}}
        << Pieces{{"red", "fg=#ff0000"}, {" on blue", "fg=#00ff00 bg=#000080"}, {" navy", "fg=#000080"}}
        << QList<int>{};
    QTest::newRow("monospace") << Pieces{{"code", "m"}, {" text", ""}} << Pieces{{"code", "m"}, {" text", ""}}
                               << QList<int>{};
    QTest::newRow("pictures between text")
        << Pieces{{"smile ", ""}, {"", "pic=1"}, {" love ", "b"}, {"", "pic=7"}, {"", "pic=10"}, {" end", ""}}
        << Pieces{{"smile ", ""}, {" love ", "b"}, {" end", ""}} << QList<int>{1, 7, 10};
}

void TestRtfWriter::roundTripsThroughReader()
{
    QFETCH(Pieces, written);
    QFETCH(Pieces, readBack);
    QFETCH(QList<int>, pictures);
    if (unrtf_.isEmpty())
        QSKIP("unrtf is not installed");

    TranscriptView view;
    Fill(view, written);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString html = ReadBack(view, dir);
    QVERIFY2(!html.isEmpty(), "unrtf failed");

    QTextDocument document;
    document.setHtml(html);
    const Pieces runs = TextRunsOf(document);
    QVERIFY2(runs == readBack, qPrintable(QStringLiteral("\n   read back: %1\n    expected: %2\n%3")
                                              .arg(Describe(runs), Describe(readBack), html)));

    // The reader writes each embedded picture to a file of its own, in order.
    QCOMPARE(html.count(QStringLiteral("<img ")), pictures.size());
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        const QImage file(dir.filePath(QStringLiteral("pict%1.png").arg(i + 1, 3, 10, QChar(u'0'))));
        QVERIFY2(!file.isNull(), qPrintable(QString::number(i)));
        QCOMPARE(file.convertToFormat(QImage::Format_ARGB32),
                 EmoticonPicture(pictures[i]).convertToFormat(QImage::Format_ARGB32));
    }
}

void TestRtfWriter::writesPlainAsciiOnly()
{
    // Whatever the text, the file itself is 7-bit: every other character is escaped.
    TranscriptView view;
    SetSelText(view, QStringLiteral(u"Grüße ☺ 😀 \u0001\u007f tab\there"));
    const QByteArray rtf = WriteRtf(TakeTranscriptSnapshot(view));
    for (const char c : rtf)
        QVERIFY2((c >= 0x20 && c < 0x7f) || c == '\n', qPrintable(QString::number(static_cast<unsigned char>(c))));
    QVERIFY(rtf.startsWith("{\\rtf1"));
    QVERIFY(rtf.trimmed().endsWith('}'));
    QVERIFY(rtf.contains("\\u-10179\\'3f\\u-8704\\'3f"));  // the emoji as its surrogate pair
}

namespace {

// Lines first..last of a transcript, each "line N" in blue with a picture,
// the last one without its line break.
void FillLines(TranscriptView& view, int first, int last)
{
    SetSelColor(view, Qt::blue);
    for (int i = first; i <= last; ++i) {
        SetSelText(view, QStringLiteral("line %1 ").arg(i));
        InsertPicture(view, EmoticonPicture(1));
        if (i < last) SetSelText(view, QStringLiteral("\n"));
    }
}

}  // namespace

void TestRtfWriter::slicedSnapshotKeepsTheTextAsItWas_data()
{
    // What changes in the view after the first line is copied, and which
    // lines the saved file then holds (-1: an empty last paragraph).
    QTest::addColumn<QString>("change");
    QTest::addColumn<QList<int>>("saved");
    QList<int> all;
    for (int i = 0; i < 30; ++i) all << i;
    QTest::newRow("nothing") << "" << all;
    QTest::newRow("lines arrive") << "arrive" << all;
    QTest::newRow("text joins the last line in its look") << "join" << all;
    QTest::newRow("old lines dropped before they were copied")
        << "drop" << QList<int>{0};
    QTest::newRow("cleared") << "clear" << QList<int>{0, -1};
}

void TestRtfWriter::slicedSnapshotKeepsTheTextAsItWas()
{
    QFETCH(QString, change);
    QFETCH(QList<int>, saved);

    TranscriptView view;
    FillLines(view, 0, 29);
    TranscriptSnapshotTaker taker(view);
    QVERIFY(!taker.CopySome(0));  // one paragraph per slice
    if (change == u"arrive" || change == u"join") {
        SetSelText(view, change == u"arrive" ? QStringLiteral("\nlate line") : QStringLiteral(" and more"));
    } else if (change == u"drop") {
        // Enough new lines for the view to drop its oldest block.
        TranscriptView::Batch batch(view);
        for (int i = 0; i < LineStore::kKeptLines + LineStore::kDropBlock; ++i)
            SetSelText(view, QStringLiteral("\nnew"));
    } else if (change == u"clear") {
        view.clear();
    }
    int slices = 1;
    while (!taker.CopySome(0)) ++slices;
    QVERIFY(slices > 1 || change == u"clear" || change == u"drop");  // nothing left to copy after those

    TranscriptView expected;
    for (int i = 0; i < saved.size(); ++i) {
        if (i > 0) SetSelText(expected, QStringLiteral("\n"));
        if (saved[i] >= 0) FillLines(expected, saved[i], saved[i]);
    }
    QCOMPARE(WriteRtf(taker.Take()), WriteRtf(TakeTranscriptSnapshot(expected)));
}

void TestRtfWriter::saveEndsWhenTheWindowGoes()
{
    // The window's close box works until the progress dialog shows.
    QTemporaryDir dir;
    auto* view = new TranscriptView;
    FillLines(*view, 0, 2000);
    QPointer<TranscriptView> watch(view);
    QTimer::singleShot(0, view, [view] { delete view; });
    QVERIFY(!SaveTranscript(*view, dir.filePath(QStringLiteral("chat.rtf"))));
    QVERIFY(watch.isNull());
}

QTEST_MAIN(TestRtfWriter)
#include "tst_rtf_writer.moc"
