#include "chat/chat_saving.h"

#include "transcript/transcript_view.h"
#include "transcript/rtf_writer.h"
#include "transcript/transcript_export.h"
#include "common/prompts.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QSaveFile>
#include <QTimer>

#include <stdexcept>
#include <thread>

namespace {

// How long the window waits at most while the text is copied.
constexpr int kSliceMs = 8;

// Runs on the worker: the whole file, committed only when every byte went out.
QString WriteFile(const RtfSnapshot& snapshot, const QString& path, RtfProgress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (!WriteRtf(snapshot, file, &progress)) {
        const QString reason = progress.cancelled ? QString() : file.errorString();
        file.cancelWriting();
        return reason;
    }
    return file.commit() ? QString() : file.errorString();
}

}  // namespace

bool SaveTranscript(TranscriptView& view, const QString& path)
{
    // The window may go while the event loop runs (its close box works until
    // the dialog shows): the dialog goes with it, and the save is cancelled.
    const QPointer<TranscriptView> alive(&view);
    const QPointer<QProgressDialog> dialog =
        new QProgressDialog(QStringLiteral("Saving the chat..."), QStringLiteral("Cancel"), 0, 0, &view);
    dialog->setObjectName(QStringLiteral("saveProgress"));
    dialog->setWindowTitle(QStringLiteral("Save chat"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(500);
    dialog->setAutoReset(false);
    RtfProgress progress;
    QObject::connect(dialog, &QProgressDialog::canceled, dialog, [&progress] { progress.cancelled = true; });

    // The text as it stands now, copied in slices of a few milliseconds so
    // that the window goes on painting; lines that arrive meanwhile go on
    // into the view. Then a worker writes the copy.
    TranscriptSnapshotTaker taker(view);
    QString error;
    std::atomic<bool> done{false};
    std::thread worker;
    QEventLoop loop;
    QTimer copying;
    QObject::connect(&copying, &QTimer::timeout, &loop, [&] {
        if (progress.cancelled || !alive) {
            loop.quit();
        } else if (taker.CopySome(kSliceMs)) {
            copying.stop();
            RtfSnapshot snapshot = taker.Take();
            dialog->setMaximum(int(snapshot.runs.size()));
            // The worker owns the copy, and frees it too: that takes a while.
            worker = std::thread([&, snapshot = std::move(snapshot)]() mutable {
                error = WriteFile(snapshot, path, progress);
                snapshot = RtfSnapshot();
                done = true;
            });
        }
    });
    QTimer tick;
    bool inTick = false;  // a modal dialog's setValue turns the event loop
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!dialog || dialog->wasCanceled()) progress.cancelled = true;
        if (done || (progress.cancelled && !worker.joinable())) {
            loop.quit();
        } else if (worker.joinable() && !inTick) {
            inTick = true;
            dialog->setValue(progress.runsDone.load());
            inTick = false;
        }
    });
    copying.start(0);
    tick.start(30);
    loop.exec();
    if (worker.joinable()) worker.join();
    delete dialog.data();
    if (!error.isEmpty())
        throw std::runtime_error("Cannot save the chat to \"" + path.toStdString() + "\": " + error.toStdString());
    return !progress.cancelled && alive;
}

void AskAndSaveTranscript(QWidget* window, TranscriptView& view, const QString& folder)
{
    const QString path = prompts().SaveFileName(window, QStringLiteral("Save chat"), folder,
                                                QStringLiteral("Rich Text (*.rtf)"), QStringLiteral("rtf"));
    if (path.isEmpty())
        return;
    const QPointer<QWidget> alive(window);  // the window may close while the file is written
    try {
        SaveTranscript(view, path);
    } catch (const std::exception& error) {
        prompts().Error(alive, QString::fromStdString(error.what()));
    }
}
