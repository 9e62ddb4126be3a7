#include "shell/history_keeper.h"

#include "chat/chat_window.h"
#include "chat/history_lines.h"
#include "chat/history_pager.h"
#include "common/program_settings.h"
#include "common/wire_text.h"
#include "events/chat_session.h"
#include "shell/main_window.h"

#include <QThread>

namespace {

const QString kKeepKey = QStringLiteral("History/Keep");
const QString kKeepDaysKey = QStringLiteral("History/KeepDays");
const QString kLeftOutKey = QStringLiteral("History/LeftOut");

}  // namespace

HistoryKeeper::HistoryKeeper(MainWindow& frame, QString path)
    : frame_(frame), path_(std::move(path)), recorder_([this](HistoryLine line) { AddLine(std::move(line)); })
{
    const QSettings settings = ProgramSettings();
    recorder_.SetKeeping(settings.value(kKeepKey, true).toBool());
    keepDays_ = std::max(0, settings.value(kKeepDaysKey, 0).toInt());
    recorder_.SetLeftOutEntries(settings.value(kLeftOutKey).toStringList());
    // Pruning is the writer's first work on its own thread.
    if (keepDays_ > 0 && recorder_.Keeping()) StartWriter();
}

HistoryKeeper::~HistoryKeeper()
{
    for (QThread* task : tasks_) {
        task->wait();
        delete task;
    }
    writer_.reset();  // writes what waits, one try
}

void HistoryKeeper::StartWriter()
{
    HistoryWriterSettings settings;
    settings.path = path_;
    settings.keepDays = keepDays_;
    writer_ = std::make_unique<HistoryWriter>(settings);
    connect(writer_.get(), &HistoryWriter::notice, this, &HistoryKeeper::notice, Qt::QueuedConnection);
}

void HistoryKeeper::AddLine(HistoryLine line)
{
    if (!writer_) StartWriter();
    writer_->Add(std::move(line));
}

void HistoryKeeper::SetKeeping(bool on)
{
    recorder_.SetKeeping(on);
    ProgramSettings().setValue(kKeepKey, on);
}

void HistoryKeeper::SetKeepDays(int days)
{
    keepDays_ = std::max(0, days);
    ProgramSettings().setValue(kKeepDaysKey, keepDays_);
}

void HistoryKeeper::SetLeftOut(const HistoryBuffer& buffer, bool leftOut)
{
    recorder_.SetLeftOut(buffer, leftOut);
    ProgramSettings().setValue(kLeftOutKey, recorder_.LeftOutEntries());
}

void HistoryKeeper::KeepLogLines(const QStringList& lines)
{
    if (!recorder_.Keeping() || recorder_.Network().isEmpty()) return;
    // While a login runs (a new one, or one after a lost connection), what
    // the log shows is the login's exchange: it is never kept.
    const ChatSession* session = frame_.Session();
    if (!session || session->LoggingIn()) return;
    for (const QString& line : lines)
        recorder_.Keep(QByteArray(), QByteArray(), HistoryKind::Event, QByteArray::fromStdString(ToWire(line)));
}

int HistoryKeeper::ShowKeptLines(QWidget* window)
{
    auto* chat = qobject_cast<ChatWindow*>(window);
    const auto name = HistoryNameOf(window);
    if (!chat || !name || !recorder_.Keeping() || lastNetwork_.isEmpty()) return 0;
    const HistoryBuffer buffer{lastNetwork_, *name};
    if (recorder_.IsLeftOut(buffer) || HistoryPager::Of(chat->Transcript())) return 0;
    if (!reader_) {
        auto store = std::make_shared<HistoryStore>(path_);
        if (!store->Open()) return 0;
        reader_ = std::move(store);
    }
    auto* pager = new HistoryPager(chat->Transcript(), reader_, buffer);
    return pager->ShowLast();
}

bool HistoryKeeper::Flush(int timeoutMs) { return !writer_ || writer_->Flush(timeoutMs); }

void HistoryKeeper::RunTask(std::function<QString(HistoryStore&)> work, std::function<void(const QString&)> done)
{
    const QString path = path_;
    QThread* task = QThread::create([this, path, work = std::move(work), done = std::move(done)] {
        HistoryStore store(path);
        const QString result = store.Open() ? work(store) : QStringLiteral("The history cannot be opened: ") + store.LastError();
        // The keeper waits for its tasks before it goes, so it is still here.
        QMetaObject::invokeMethod(this, [done, result] { done(result); }, Qt::QueuedConnection);
    });
    tasks_.push_back(task);
    connect(task, &QThread::finished, this, [this, task] {
        tasks_.erase(std::remove(tasks_.begin(), tasks_.end(), task), tasks_.end());
        task->deleteLater();
    });
    task->start();
}
