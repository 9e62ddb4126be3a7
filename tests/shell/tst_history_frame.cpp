// The history from the frame: Ctrl+Shift+F, a found line's window opened
// with the line shown, "Export History..." and "Clear History..." done on
// threads of their own with the user told how they went.
#include "chat/private_window.h"
#include "chat/room_window.h"
#include "transcript/transcript_view.h"
#include "common/program_settings.h"
#include "shell/main_window.h"
#include "shell/history_clear_dialog.h"
#include "shell/history_export_dialog.h"
#include "shell/history_keeper.h"
#include "shell/history_menus.h"
#include "shell/history_options_page.h"
#include "side/history_search_window.h"
#include "support/history_test_lines.h"
#include "support/prompt_recorder.h"
#include "support/temp_user_data.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Answers the next modal dialog of type Dialog: answer sets it up, then it is accepted.
template <typename Dialog>
void AnswerNextDialog(std::function<void(Dialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<Dialog*>(w); dialog && dialog->isVisible()) {
                answer(*dialog);
                dialog->accept();
                return;
            }
    });
}

QStringList Names(const QList<HistoryBuffer>& buffers)
{
    QStringList names;
    for (const HistoryBuffer& b : buffers) names << QString::fromLatin1(b.name);
    return names;
}

}  // namespace

class TestHistoryFrame : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ctrlShiftFOpensTheSearch();
    void foundLineOpensItsWindow_data();
    void foundLineOpensItsWindow();
    void exportWritesOneLogPerBuffer();
    void clearTakesWhatWasChosen_data();
    void clearTakesWhatWasChosen();
    void optionsAreKept();

private:
    std::unique_ptr<TempUserData> data_;
    std::unique_ptr<PromptRecorder> prompts_;
    std::unique_ptr<MainWindow> frame_;
};

void TestHistoryFrame::init()
{
    data_ = std::make_unique<TempUserData>();
    prompts_ = std::make_unique<PromptRecorder>();
    ProgramSettings().remove(QStringLiteral("History"));
    frame_ = std::make_unique<MainWindow>();
    HistoryKeeper& keeper = frame_->History();
    keeper.LoggedIn("net");
    const qint64 day = 24LL * 3600 * 1000;
    keeper.Recorder().Keep("#ops", "alice", HistoryKind::Message, "deploy at five", TestTime(0));
    keeper.Recorder().Keep("#ops", "bob", HistoryKind::Action, "waves", TestTime(1));
    keeper.Recorder().Keep("carol", "carol", HistoryKind::Message, "psst", TestTime(0) + day);
    keeper.Recorder().Keep("", "", HistoryKind::Event, "Connected.", TestTime(2));
    QVERIFY(keeper.Flush());
}

void TestHistoryFrame::cleanup()
{
    frame_.reset();
    prompts_.reset();
    data_.reset();
}

void TestHistoryFrame::ctrlShiftFOpensTheSearch()
{
    frame_->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
    QTest::keyClick(frame_.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto* search = frame_->findChild<HistorySearchWindow*>();
    QVERIFY(search);
    QTRY_VERIFY(search->isVisible());
    search->Search();
    QCOMPARE(search->Hits().size(), 4);
}

void TestHistoryFrame::foundLineOpensItsWindow_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QString>("shownLine");  // written into the window before the line is opened
    QTest::addColumn<QString>("selected");   // what the transcript then selects
    QTest::newRow("a conversation with the line") << QByteArray("carol") << "carol: psst" << "psst";
    // The window shows its kept lines above its own: the line is found among them.
    QTest::newRow("a conversation without it") << QByteArray("carol") << "carol: hello" << "psst";
    QTest::newRow("a room") << QByteArray("#ops") << "" << "";
}

void TestHistoryFrame::foundLineOpensItsWindow()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QString, shownLine);
    QFETCH(QString, selected);
    if (!shownLine.isEmpty()) {
        PrivateWindow* w = frame_->OpenPrivateWindowFromUser(QStringLiteral("carol"));
        SetSelText(w->Transcript(), shownLine + u'\n');
        frame_->BringToFront(frame_->RoomListPane());
    }
    HistoryLine line = TestLine(buffer, 0, "carol", "psst");
    frame_->HistoryEntries().OpenLine(line, QStringLiteral("psst"));
    QWidget* current = frame_->CurrentChild();
    if (buffer.startsWith('#')) {
        QStringList rooms;
        for (QWidget* w : frame_->ChildWindows())
            if (auto* room = qobject_cast<RoomWindow*>(w)) rooms << room->Title();
        QCOMPARE(rooms, QStringList{"ops"});  // the room's window, named without its "#"
        return;
    }
    auto* conversation = qobject_cast<PrivateWindow*>(current);
    QVERIFY(conversation);
    QCOMPARE(conversation->Title(), QStringLiteral("carol"));
    QCOMPARE(frame_->PrivateWindowsNamed(QStringLiteral("carol")).size(), 1);  // brought, not made again
    QCOMPARE(conversation->Transcript().Selection().Text(), selected);
}

void TestHistoryFrame::exportWritesOneLogPerBuffer()
{
    QTemporaryDir out;
    prompts_->folderAnswer = out.path();
    // Up to the first day only: carol's line of the next day stays out.
    AnswerNextDialog<HistoryExportDialog>([](HistoryExportDialog& range) {
        range.toCheck->setChecked(true);
        range.toDate->setDate(QDateTime::fromMSecsSinceEpoch(TestTime(0)).date());
    });
    frame_->findChild<QAction*>("exportHistoryItem")->trigger();
    QTRY_COMPARE(prompts_->records.size(), 1);
    QVERIFY2(prompts_->records[0].text.startsWith("2 logs were written"), qPrintable(prompts_->records[0].text));
    QFile ops(out.filePath("net/#ops.log"));
    QVERIFY(ops.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = ops.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].endsWith("] <alice> deploy at five"));
    QVERIFY(lines[1].endsWith("] * bob waves"));
    QVERIFY(QFile::exists(out.filePath("net/server.log")));
    QVERIFY(!QFile::exists(out.filePath("net/carol.log")));
}

void TestHistoryFrame::clearTakesWhatWasChosen_data()
{
    QTest::addColumn<QString>("chosen");  // the entry of the clear dialog
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QStringList>("left");  // buffers with lines afterwards
    QTest::newRow("one room") << "#ops (net)" << true << QStringList{"carol", ""};
    QTest::newRow("one conversation") << "carol (net)" << true << QStringList{"#ops", ""};
    QTest::newRow("all history") << "All history" << true << QStringList{};
    QTest::newRow("not confirmed") << "All history" << false << QStringList{"#ops", "carol", ""};
}

void TestHistoryFrame::clearTakesWhatWasChosen()
{
    QFETCH(QString, chosen);
    QFETCH(bool, confirmed);
    QFETCH(QStringList, left);
    prompts_->confirmAnswer = confirmed;
    HistoryOptionsPage page(frame_->History());
    AnswerNextDialog<HistoryClearDialog>([chosen](HistoryClearDialog& dialog) {
        dialog.whatBox->setCurrentIndex(dialog.whatBox->findText(chosen));
    });
    page.clearButton->click();
    QCOMPARE(prompts_->confirmAsked.size(), 1);
    HistoryStore store(frame_->History().Path());
    QVERIFY(store.Open());
    QTRY_COMPARE(Names(store.Buffers()), left);
    QVERIFY(prompts_->Errors().isEmpty());
}

void TestHistoryFrame::optionsAreKept()
{
    {
        HistoryOptionsPage page(frame_->History());
        QVERIFY(page.keepCheck->isChecked());  // on unless the user said otherwise
        QCOMPARE(page.daysSpin->value(), 0);   // forever
        page.keepCheck->setChecked(false);
        page.daysSpin->setValue(30);
    }
    frame_.reset();
    MainWindow again;
    QVERIFY(!again.History().Keeping());
    QCOMPARE(again.History().KeepDays(), 30);
    again.History().LoggedIn("net");
    again.History().Recorder().Keep("#ops", "x", HistoryKind::Message, "not kept");
    QVERIFY(again.History().Flush());
    QCOMPARE(CountInFile(again.History().Path(), "SELECT count(*) FROM lines"), 4);
}

QTEST_MAIN(TestHistoryFrame)
#include "tst_history_frame.moc"
