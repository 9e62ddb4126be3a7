// The options dialog: each page filled from its file in file order when it
// becomes active, several selected lines removed in one go (also hand-edited
// ones), and a removal that cannot be written.
#include "common/list_file.h"
#include "support/window_controls.h"
#include "shell/options_dialog.h"
#include "support/file_size_limit.h"
#include "support/prompt_recorder.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList Lines(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

const char* const kFiles[] = {"fav.ini", "buddies.ini", "ignore.ini"};

}  // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private slots:
    void init();

    void pagesFillFromTheirFilesWhenActive();
    void removeTakesEverySelectedLine_data();
    void removeTakesEverySelectedLine();
    void removalThatCannotBeWrittenIsReported();

private:
    void Write(const char* file, const QByteArray& bytes)
    {
        QFile f(dir_->filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Read(const char* file)
    {
        QFile f(dir_->filePath(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QListWidget* List(OptionsDialog& d, int page) { return QList<QListWidget*>{Control<QListWidget>(d, "favoritesList"), Control<QListWidget>(d, "buddiesList"), Control<QListWidget>(d, "ignoreList")}[page]; }
    QPushButton* Remove(OptionsDialog& d, int page) { return QList<QPushButton*>{Control<QPushButton>(d, "removeFavoriteButton"), Control<QPushButton>(d, "removeBuddyButton"), Control<QPushButton>(d, "removeIgnoredButton")}[page]; }

    std::unique_ptr<QTemporaryDir> dir_;
    PromptRecorder prompts_;
};

void TestOptionsDialog::init() { dir_ = std::make_unique<QTemporaryDir>(); }

void TestOptionsDialog::pagesFillFromTheirFilesWhenActive()
{
    Write("fav.ini", "[zeta]\nName=zeta\n[alpha]\nName=alpha\n");
    Write("buddies.ini", "[bob]\nName=bob\n");
    Write("ignore.ini", "[troll]\nName=troll\n[nameless]\n");
    OptionsDialog dialog(dir_->path());
    dialog.show();
    QCOMPARE(Control<QTabWidget>(dialog, "pages")->currentIndex(), 0);
    QCOMPARE(Lines(Control<QListWidget>(dialog, "favoritesList")), (QStringList{"zeta", "alpha"}));
    QCOMPARE(Control<QListWidget>(dialog, "buddiesList")->count(), 0);

    Write("buddies.ini", "[bob]\nName=bob\n[amy]\nName=amy\n");  // read when the page opens, not before
    Control<QTabWidget>(dialog, "pages")->setCurrentIndex(1);
    QCOMPARE(Lines(Control<QListWidget>(dialog, "buddiesList")), (QStringList{"bob", "amy"}));
    Control<QTabWidget>(dialog, "pages")->setCurrentIndex(2);
    QCOMPARE(Lines(Control<QListWidget>(dialog, "ignoreList")), (QStringList{"troll", ""}));
    QCOMPARE(Control<QListWidget>(dialog, "favoritesList")->selectionMode(), QAbstractItemView::ExtendedSelection);
}

void TestOptionsDialog::removeTakesEverySelectedLine_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QStringList>("left");

    const QByteArray five("[a]\nName=a\n[b]\nName=b\n[c]\nName=c\n[d]\nName=d\n[e]\nName=e\n");
    for (int page = 0; page < 3; ++page)
        QTest::addRow("%s: three of five", kFiles[page]) << page << five << QList<int>{0, 2, 4} << QStringList{"b", "d"};
    QTest::newRow("all") << 0 << five << QList<int>{0, 1, 2, 3, 4} << QStringList{};
    QTest::newRow("none") << 0 << five << QList<int>{} << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("hand-edited: Name differs, Name missing")
        << 1 << QByteArray("[bob]\nName=Robert\n[amy]\nName=amy\n[nameless]\n") << QList<int>{0, 2} << QStringList{"amy"};
    QTest::newRow("repeated section, other case") << 2 << QByteArray("[bob]\nName=bob\n[amy]\nName=amy\n[BOB]\nName=x\n")
                                                  << QList<int>{0} << QStringList{"amy"};
}

void TestOptionsDialog::removeTakesEverySelectedLine()
{
    QFETCH(int, page);
    QFETCH(QByteArray, before);
    QFETCH(QList<int>, selected);
    QFETCH(QStringList, left);
    Write(kFiles[page], before);
    OptionsDialog dialog(dir_->path());
    dialog.show();
    Control<QTabWidget>(dialog, "pages")->setCurrentIndex(page);
    QListWidget* list = List(dialog, page);
    for (int row : selected) list->item(row)->setSelected(true);
    Remove(dialog, page)->click();
    QCOMPARE(Lines(list), left);
    QCOMPARE(ListFile(dir_->filePath(kFiles[page])).Names(), left);
    if (selected.isEmpty()) QCOMPARE(Read(kFiles[page]), before);
    QVERIFY(prompts_.records.isEmpty());
}

void TestOptionsDialog::removalThatCannotBeWrittenIsReported()
{
    const QByteArray before("[a]\nName=a\n[b]\nName=b\n");
    Write("fav.ini", before);
    OptionsDialog dialog(dir_->path());
    dialog.show();
    Control<QListWidget>(dialog, "favoritesList")->item(1)->setSelected(true);
    {
        FileSizeLimit full(0);
        Control<QPushButton>(dialog, "removeFavoriteButton")->click();
    }
    QCOMPARE(prompts_.Errors().size(), 1);
    QVERIFY2(prompts_.Errors()[0].contains("could not be written"), qPrintable(prompts_.Errors()[0]));
    QCOMPARE(Read("fav.ini"), before);
    QCOMPARE(Lines(Control<QListWidget>(dialog, "favoritesList")), (QStringList{"a", "b"}));
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_options_dialog.moc"
