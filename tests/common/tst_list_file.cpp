// The list files (fav.ini, buddies.ini, ignore.ini): reading in file order,
// writing and erasing with letter case aside, names that hold the format's
// own characters, hand-edited and damaged files, and writes that fail.
#include "common/list_file.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Entries as "section|name", the way the tables write them.
QStringList Flat(const QList<ListEntry>& entries)
{
    QStringList out;
    for (const ListEntry& e : entries) out << e.section + u'|' + e.name;
    return out;
}

// Bytes with NULs kept.
template <std::size_t N>
QByteArray Bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QStringList FilesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

}  // namespace

class TestListFile : public QObject {
    Q_OBJECT

private slots:
    void init();

    void readsWhatCanBeRead_data();
    void readsWhatCanBeRead();
    void writesReadBackInOrder_data();
    void writesReadBackInOrder();
    void addingAgainOverwritesInPlace_data();
    void addingAgainOverwritesInPlace();
    void erasingTakesWholeSections_data();
    void erasingTakesWholeSections();
    void editsKeepEveryOtherByte_data();
    void editsKeepEveryOtherByte();
    void refusesNamesThatWouldNotReadBack_data();
    void refusesNamesThatWouldNotReadBack();
    void failedWriteLeavesFileAsItWas_data();
    void failedWriteLeavesFileAsItWas();
    void hugeFileIsReadInPartAndNeverRewritten();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString Path() const { return dir_->filePath(QStringLiteral("fav.ini")); }
};

void TestListFile::init() { dir_ = std::make_unique<QTemporaryDir>(); }

void TestListFile::readsWhatCanBeRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");

    const QByteArray hugeLine(1024 * 1024, 'x');
    QTest::newRow("file order, not alphabetical") << QByteArray("[zeta]\nName=zeta\n[alpha]\nName=alpha\n[mid]\nName=mid\n")
                                                  << QStringList{"zeta|zeta", "alpha|alpha", "mid|mid"};
    QTest::newRow("CR LF line ends") << QByteArray("[zeta]\r\nName=zeta\r\n[alpha]\r\nName=alpha\r\n")
                                     << QStringList{"zeta|zeta", "alpha|alpha"};
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[bob]\nName=bob\n") << QStringList{"bob|bob"};
    QTest::newRow("no line end at the end") << QByteArray("[bob]\nName=bob") << QStringList{"bob|bob"};
    QTest::newRow("missing Name gives an empty one") << QByteArray("[bob]\n[amy]\nName=amy\n")
                                                     << QStringList{"bob|", "amy|amy"};
    QTest::newRow("Name differing from its section") << QByteArray("[bob]\nName=Robert\n") << QStringList{"bob|Robert"};
    QTest::newRow("sections again in other case: once, first place, first Name")
        << QByteArray("[Bob]\nName=Bob\n[amy]\nName=amy\n[BOB]\nName=BOB\n") << QStringList{"Bob|Bob", "amy|amy"};
    QTest::newRow("Name found under a later header of the section")
        << QByteArray("[bob]\n[amy]\nName=amy\n[bob]\nName=bob\n") << QStringList{"bob|bob", "amy|amy"};
    QTest::newRow("blanks, key case and comments")
        << QByteArray("; my buddies\n  [ bob ]  \n\tnAmE = bob \n;Name=nobody\nOther=1\n") << QStringList{"bob|bob"};
    QTest::newRow("header without its ]: keys below it belong to nothing")
        << QByteArray("[amy]\nName=amy\n[bob\nName=bob\n[carol]\nName=carol\n") << QStringList{"amy|amy", "carol|carol"};
    QTest::newRow("format characters inside names")
        << QByteArray("[[Bob]]\nName=[Bob]\n[a=b;c]\nName=a=b;c\n[x]y]\nName=x]y\n")
        << QStringList{"[Bob]|[Bob]", "a=b;c|a=b;c", "x]y|x]y"};
    QTest::newRow("UTF-8 and Latin-1 bytes") << QByteArray("[J\xC3\xBCrgen]\nName=J\xC3\xBCrgen\n[Ren\xE9]\nName=Ren\xE9\n")
                                             << QStringList{QStringLiteral("Jürgen|Jürgen"), QStringLiteral("René|René")};
    QTest::newRow("binary junk around an entry")
        << Bytes("\x00\xFF\xFE\x01garbage\n[\x01\x02]\nName=junk\n\x7F\x00\n[bob]\nName=bob\n\xC3\x28\n")
        << QStringList{"bob|bob"};
    QTest::newRow("control character in a Name value: no Name")
        << QByteArray("[bob]\nName=b\x07ob\n") << QStringList{"bob|"};
    QTest::newRow("1 MB line between entries") << QByteArray("[amy]\nName=amy\n" + hugeLine + "\n[bob]\nName=bob\n")
                                               << QStringList{"amy|amy", "bob|bob"};
    QTest::newRow("1 MB section name is not listed") << QByteArray("[" + hugeLine + "]\nName=x\n[bob]\nName=bob\n")
                                                     << QStringList{"bob|bob"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("empty section name") << QByteArray("[]\nName=x\n[ ]\nName=y\n") << QStringList{};
}

void TestListFile::readsWhatCanBeRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    WriteAll(Path(), bytes);
    const ListFile file(Path());
    QCOMPARE(Flat(file.Entries()), entries);
}

void TestListFile::writesReadBackInOrder_data()
{
    QTest::addColumn<QStringList>("added");

    QTest::newRow("plain") << QStringList{"zeta", "alpha", "mid"};
    QTest::newRow("non-ASCII") << QStringList{QStringLiteral("Jürgen"), QStringLiteral("Ленка"), QStringLiteral("小明"), QStringLiteral("🙂room")};
    QTest::newRow("format characters") << QStringList{"[Bob]", "a]b", "a[b", "x=y", ";semi", "#hash", "Name"};
    QTest::newRow("inner blanks") << QStringList{"two words"};
}

void TestListFile::writesReadBackInOrder()
{
    QFETCH(QStringList, added);
    ListFile file(Path());
    QVERIFY(file.Entries().isEmpty());  // no file yet
    QString error;
    for (const QString& entry : added) QVERIFY2(file.Add(entry, &error), qPrintable(error));
    QCOMPARE(file.Names(), added);
    QStringList sections;
    for (const ListEntry& e : file.Entries()) sections << e.section;
    QCOMPARE(sections, added);
    QVERIFY(ReadAll(Path()).startsWith('[' + added.first().toUtf8() + "]\nName=" + added.first().toUtf8() + '\n'));
}

void TestListFile::addingAgainOverwritesInPlace_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("same name") << QByteArray("[amy]\nName=amy\n[bob]\nName=bob\n[cid]\nName=cid\n") << "bob"
                               << QByteArray("[amy]\nName=amy\n[bob]\nName=bob\n[cid]\nName=cid\n");
    QTest::newRow("other case keeps place and header")
        << QByteArray("[amy]\nName=amy\n[Bob]\nName=Bob\n[cid]\nName=cid\n") << "BOB"
        << QByteArray("[amy]\nName=amy\n[Bob]\nName=BOB\n[cid]\nName=cid\n");
    QTest::newRow("later repeats of the section go")
        << QByteArray("[bob]\nName=bob\n[amy]\nName=amy\n[BOB]\nName=BOB\nOther=1\n[cid]\nName=cid\n") << "bob"
        << QByteArray("[bob]\nName=bob\n[amy]\nName=amy\n[cid]\nName=cid\n");
    QTest::newRow("missing Name is put under the header")
        << QByteArray("[bob]\nOther=1\n[amy]\nName=amy\n") << "bob"
        << QByteArray("[bob]\nName=bob\nOther=1\n[amy]\nName=amy\n");
    QTest::newRow("second Name key in the section goes")
        << QByteArray("[bob]\r\nName=x\r\nName=y\r\n") << "bob" << QByteArray("[bob]\r\nName=bob\r\n");
    QTest::newRow("header on the last line without line end") << QByteArray("[amy]\nName=amy\n[bob]") << "bob"
                                                               << QByteArray("[amy]\nName=amy\n[bob]\nName=bob\n");
    QTest::newRow("non-ASCII letter case") << QByteArray("[J\xC3\x9CRGEN]\nName=J\xC3\x9CRGEN\n") << QStringLiteral("jürgen")
                                           << QByteArray("[J\xC3\x9CRGEN]\nName=j\xC3\xBCrgen\n");
}

void TestListFile::addingAgainOverwritesInPlace()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, entry);
    QFETCH(QByteArray, after);
    WriteAll(Path(), before);
    ListFile file(Path());
    QString error;
    QVERIFY2(file.Add(entry, &error), qPrintable(error));
    QCOMPARE(ReadAll(Path()), after);
    QVERIFY2(file.Add(entry, &error), qPrintable(error));
    QCOMPARE(ReadAll(Path()), after);  // twice: still once
}

void TestListFile::erasingTakesWholeSections_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("sections");
    QTest::addColumn<QByteArray>("after");

    const QByteArray three("[amy]\nName=amy\n[bob]\nName=bob\nOther=1\n[cid]\nName=cid\n");
    QTest::newRow("middle, with its other keys") << three << QStringList{"bob"} << QByteArray("[amy]\nName=amy\n[cid]\nName=cid\n");
    QTest::newRow("letter case aside") << three << QStringList{"BOB"} << QByteArray("[amy]\nName=amy\n[cid]\nName=cid\n");
    QTest::newRow("several in one go") << three << QStringList{"cid", "amy"} << QByteArray("[bob]\nName=bob\nOther=1\n");
    QTest::newRow("every repeat of the section") << QByteArray("[bob]\nName=bob\n[amy]\nName=amy\n[Bob]\nName=x\n")
                                                 << QStringList{"bob"} << QByteArray("[amy]\nName=amy\n");
    QTest::newRow("absent: file untouched") << three << QStringList{"dan"} << three;
    QTest::newRow("section whose Name differs") << QByteArray("[bob]\nName=Robert\n[amy]\nName=amy\n")
                                                << QStringList{"bob"} << QByteArray("[amy]\nName=amy\n");
    QTest::newRow("first section keeps the byte order mark")
        << QByteArray("\xEF\xBB\xBF[bob]\nName=bob\n[amy]\nName=amy\n") << QStringList{"bob"}
        << QByteArray("\xEF\xBB\xBF[amy]\nName=amy\n");
    QTest::newRow("header without ] ends the erased section")
        << QByteArray("[bob]\nName=bob\n[broken\nName=x\n") << QStringList{"bob"} << QByteArray("[broken\nName=x\n");
}

void TestListFile::erasingTakesWholeSections()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, sections);
    QFETCH(QByteArray, after);
    WriteAll(Path(), before);
    ListFile file(Path());
    QString error;
    QVERIFY2(file.Erase(sections, &error), qPrintable(error));
    QCOMPARE(ReadAll(Path()), after);
}

// A hand-edited file with everything a reader skips: an edit changes the
// lines of its own entry and nothing else.
void TestListFile::editsKeepEveryOtherByte_data()
{
    QTest::addColumn<bool>("crlf");
    QTest::newRow("LF") << false;
    QTest::newRow("CR LF") << true;
}

void TestListFile::editsKeepEveryOtherByte()
{
    QFETCH(bool, crlf);
    QByteArray junk = Bytes("\xEF\xBB\xBF; written by hand\n[amy]\nName=amy\n\x00\xFF junk\n[broken\n[bob]\nName=bob\n");
    if (crlf) junk.replace("\n", "\r\n");
    const QByteArray eol = crlf ? "\r\n" : "\n";
    WriteAll(Path(), junk);
    ListFile file(Path());
    QString error;

    QVERIFY(file.Add(QStringLiteral("zoë"), &error));
    QCOMPARE(ReadAll(Path()), junk + "[zo\xC3\xAB]" + eol + "Name=zo\xC3\xAB" + eol);
    QVERIFY(file.Erase({QStringLiteral("ZOË")}, &error));
    QCOMPARE(ReadAll(Path()), junk);
    QCOMPARE(file.Names(), (QStringList{"amy", "bob"}));
}

void TestListFile::refusesNamesThatWouldNotReadBack_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("why");

    QTest::newRow("line feed") << "bob\n[evil]" << "line break";
    QTest::newRow("carriage return") << "bob\rx" << "line break";
    QTest::newRow("control byte") << "bo\x01" "b" << "control character";
    QTest::newRow("NUL") << QString(QChar(0)) + "bob" << "control character";
    QTest::newRow("leading blank") << " bob" << "blank";
    QTest::newRow("trailing blank") << "bob " << "blank";
    QTest::newRow("empty") << "" << "empty";
    QTest::newRow("too long") << QString(600, u'x') << "longer than 512 bytes";
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + "x" << "UTF-8";
}

void TestListFile::refusesNamesThatWouldNotReadBack()
{
    QFETCH(QString, entry);
    QFETCH(QString, why);
    const QByteArray before("[amy]\nName=amy\n");
    WriteAll(Path(), before);
    ListFile file(Path());
    QString error;
    QVERIFY(!file.Add(entry, &error));
    QVERIFY2(error.contains(why), qPrintable(error));
    QVERIFY(!error.contains(u'\n'));  // the name is shown on one line
    QCOMPARE(ReadAll(Path()), before);
}

void TestListFile::failedWriteLeavesFileAsItWas_data()
{
    QTest::addColumn<bool>("erase");
    QTest::newRow("add") << false;
    QTest::newRow("erase") << true;
}

void TestListFile::failedWriteLeavesFileAsItWas()
{
    QFETCH(bool, erase);
    QByteArray before;
    for (int i = 0; i < 200; ++i) before += QStringLiteral("[nick%1]\nName=nick%1\n").arg(i).toUtf8();
    WriteAll(Path(), before);
    ListFile file(Path());
    QString error;
    bool written = true;
    {
        // The new file stops growing at 1 KB, half way through: a full disk.
        FileSizeLimit limit(1024);
        written = erase ? file.Erase({"nick0"}, &error) : file.Add("newcomer", &error);
    }
    QVERIFY(!written);
    QVERIFY2(error.contains(QStringLiteral("could not be written (File too large)")), qPrintable(error));
    QVERIFY(error.contains(QDir::toNativeSeparators(Path())));
    QCOMPARE(ReadAll(Path()), before);
    QCOMPARE(FilesIn(dir_->path()), QStringList{"fav.ini"});  // no half-written copy left behind

    // A folder that is not there (its name is taken by a file) fails the same way.
    WriteAll(dir_->filePath("taken"), "x");
    ListFile nowhere(dir_->filePath("taken/fav.ini"));
    QVERIFY(!nowhere.Add("bob", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(nowhere.Entries().isEmpty());

    // A list file that cannot be read is never written over.
    QVERIFY(QDir(dir_->path()).mkdir("buddies.ini"));
    ListFile unreadable(dir_->filePath("buddies.ini"));
    QVERIFY(!unreadable.Add("bob", &error));
    QVERIFY2(error.contains(QStringLiteral("could not be read")), qPrintable(error));
    QVERIFY(QFileInfo(dir_->filePath("buddies.ini")).isDir());
}

void TestListFile::hugeFileIsReadInPartAndNeverRewritten()
{
    {
        QFile file(Path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[amy]\nName=amy\n");
        QVERIFY(file.resize(ListFile::kMaxBytes + 4096));  // sparse: NUL bytes after the first entry
    }
    ListFile file(Path());
    QCOMPARE(file.Names(), QStringList{"amy"});
    QString error;
    QVERIFY(!file.Add("bob", &error));
    QVERIFY2(error.contains(QStringLiteral("larger than 16 MB")), qPrintable(error));
    QCOMPARE(QFileInfo(Path()).size(), ListFile::kMaxBytes + 4096);
}

QTEST_GUILESS_MAIN(TestListFile)
#include "tst_list_file.moc"
