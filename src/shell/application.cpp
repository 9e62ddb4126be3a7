#include "shell/application.h"

#include "shell/main_form.h"
#include "shell/product_info.h"
#include "common/prompts.h"
#include "shell/splash_form.h"
#include "shell/start_options.h"

#include <exception>

TalvessaApplication::TalvessaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // No display name of its own: the window system would add it to every
    // caption ("Login — Talvessa"). The captions are the program's own.
    setApplicationName(product::kName);
}

bool TalvessaApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowException(QStringLiteral("An unknown error occurred."));
    }
    return false;
}

void TalvessaApplication::ShowException(const QString& text)
{
    prompts().Error(QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                      : QApplication::activeWindow(),
                    text);
}

TMainForm* StartProgram()
{
    return StartProgram(StartOptions{});
}

TMainForm* StartProgram(const StartOptions& options)
{
    {
        TForm6 splash;
        splash.exec();  // closes itself when its timer fires
    }
    auto* frame = new TMainForm;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->AboutBox();  // made now, shown when asked for
    if (!options.server.isEmpty()) frame->SelectServer(options.server);
    frame->show();
    return frame;
}
