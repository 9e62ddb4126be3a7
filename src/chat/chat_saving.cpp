#include "chat/chat_saving.h"

#include "chat/rich_text_view.h"
#include "chat/rtf_writer.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QSaveFile>
#include <QTextDocument>
#include <QTimer>

#include <stdexcept>
#include <thread>

namespace {

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

bool SaveTranscript(TRichTextBox& view, const QString& path)
{
    // The text as it stands now; lines that arrive meanwhile go on into the view.
    const RtfSnapshot snapshot = TakeRtfSnapshot(*view.document());
    RtfProgress progress;
    QString error;
    std::atomic<bool> done{false};

    QProgressDialog dialog(QStringLiteral("Saving the chat..."), QStringLiteral("Cancel"), 0, int(snapshot.runs.size()),
                           &view);
    dialog.setObjectName(QStringLiteral("saveProgress"));
    dialog.setWindowTitle(QStringLiteral("Save chat"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoReset(false);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&progress] { progress.cancelled = true; });
    QEventLoop loop;
    QTimer tick;
    bool inTick = false;  // a modal dialog's setValue turns the event loop
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (dialog.wasCanceled()) progress.cancelled = true;
        if (done) {
            loop.quit();
        } else if (!inTick) {
            inTick = true;
            dialog.setValue(progress.runsDone.load());
            inTick = false;
        }
    });
    // Started last, so the dialog answers from the moment the writing begins.
    std::thread worker([&] {
        error = WriteFile(snapshot, path, progress);
        done = true;
    });
    tick.start(30);
    loop.exec();
    worker.join();
    const bool cancelled = progress.cancelled;
    if (!error.isEmpty())
        throw std::runtime_error("Cannot save the chat to \"" + path.toStdString() + "\": " + error.toStdString());
    return !cancelled;
}
