#include "chat/chat_saving.h"

#include "chat/rich_text_view.h"
#include "chat/rtf_writer.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextFormat>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <stdexcept>
#include <thread>

namespace {

// A copy of the text with its pictures: the worker reads the copy while the
// view goes on taking lines.
std::unique_ptr<QTextDocument> Snapshot(const QTextDocument& document)
{
    std::unique_ptr<QTextDocument> copy(document.clone());
    for (const QTextFormat& format : document.allFormats()) {
        if (!format.isImageFormat()) continue;
        const QUrl name(format.toImageFormat().name());
        const QVariant picture = document.resource(QTextDocument::ImageResource, name);
        if (picture.isValid()) copy->addResource(QTextDocument::ImageResource, name, picture);
    }
    return copy;
}

// Runs on the worker: the whole file, committed only when every byte went out.
QString WriteFile(const QTextDocument& document, const QString& path, RtfProgress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (!WriteRtf(document, file, &progress)) {
        const QString reason = progress.cancelled ? QString() : file.errorString();
        file.cancelWriting();
        return reason;
    }
    return file.commit() ? QString() : file.errorString();
}

}  // namespace

bool SaveTranscript(TRichTextBox& view, const QString& path)
{
    const std::unique_ptr<QTextDocument> copy = Snapshot(*view.document());
    RtfProgress progress;
    QString error;
    std::atomic<bool> done{false};

    QProgressDialog dialog(QStringLiteral("Saving the chat..."), QStringLiteral("Cancel"), 0, copy->blockCount(),
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
            dialog.setValue(progress.blocksDone.load());
            inTick = false;
        }
    });
    // Started last, so the dialog answers from the moment the writing begins.
    std::thread worker([&] {
        error = WriteFile(*copy, path, progress);
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
