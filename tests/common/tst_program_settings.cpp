// The program's one settings file: what older versions kept in the desktop's
// default file for a program without an organisation is taken over once,
// without overwriting what the new file holds, and the old file goes.
#include "common/program_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

void WriteText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

}  // namespace

class TestProgramSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void oneFileInTheProgramsFolder();
    void oldSettingsTakenOver_data();
    void oldSettingsTakenOver();
};

void TestProgramSettings::init()
{
    QFile::remove(ProgramSettingsFile());
    QFile::remove(OldProgramSettingsFile());
}

void TestProgramSettings::oneFileInTheProgramsFolder()
{
    QCoreApplication::setApplicationName(QStringLiteral("Talvessa"));
    ProgramSettings().setValue(QStringLiteral("TlsByHost/h"), true);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QCOMPARE(ProgramSettingsFile(), folder + QStringLiteral("/Talvessa/layout.conf"));
    QVERIFY(QFile::exists(ProgramSettingsFile()));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/Unknown Organization")));
}

void TestProgramSettings::oldSettingsTakenOver_data()
{
    QTest::addColumn<QByteArray>("old");     // the old file's text; empty: no old file
    QTest::addColumn<QByteArray>("before");  // the new file's text; empty: no new file
    QTest::addColumn<QStringList>("kept");   // "key=value" afterwards, sorted by key

    QTest::newRow("no old file") << QByteArray() << QByteArray("[server]\nhost=irc.example\n")
                                 << QStringList{"server/host=irc.example"};
    QTest::newRow("old file alone") << QByteArray("[TlsByHost]\na.example=true\nb.example=true\n") << QByteArray()
                                    << QStringList{"TlsByHost/a.example=true", "TlsByHost/b.example=true"};
    QTest::newRow("beside the layout")
        << QByteArray("[TlsByHost]\na.example=true\n") << QByteArray("[server]\nhost=irc.example\n")
        << QStringList{"TlsByHost/a.example=true", "server/host=irc.example"};
    QTest::newRow("the new file's value wins")
        << QByteArray("[TlsByHost]\na.example=true\nb.example=true\n") << QByteArray("[TlsByHost]\na.example=false\n")
        << QStringList{"TlsByHost/a.example=false", "TlsByHost/b.example=true"};
}

void TestProgramSettings::oldSettingsTakenOver()
{
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, before);
    QFETCH(QStringList, kept);

    if (!old.isEmpty()) WriteText(OldProgramSettingsFile(), old);
    if (!before.isEmpty()) WriteText(ProgramSettingsFile(), before);
    QStringList found;
    {
        const QSettings settings = ProgramSettings();
        for (const QString& key : settings.allKeys()) found << key + u'=' + settings.value(key).toString();
    }
    found.sort();
    QCOMPARE(found, kept);
    QVERIFY(!QFile::exists(OldProgramSettingsFile()));
    QVERIFY(!QFileInfo::exists(QFileInfo(OldProgramSettingsFile()).absolutePath()));
    // Once: what is changed afterwards is not overwritten from the old place again.
    ProgramSettings().setValue(QStringLiteral("TlsByHost/b.example"), false);
    QCOMPARE(ProgramSettings().value(QStringLiteral("TlsByHost/b.example")).toBool(), false);
}

QTEST_GUILESS_MAIN(TestProgramSettings)
#include "tst_program_settings.moc"
