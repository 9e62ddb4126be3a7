#include "shell/application.h"

#include "common/wire_text.h"
#include "shell/frame_layout.h"
#include "shell/main_window.h"
#include "shell/product_info.h"
#include "common/prompts.h"
#include "shell/splash_window.h"
#include "shell/start_options.h"

#include <exception>
#include <memory>

namespace {

// The room of a link on the command line: joined after the first login to
// the link's server (letter case aside); a login elsewhere leaves it waiting.
void JoinAfterLogin(MainWindow& frame, const QString& host, const QString& room)
{
    auto joined = std::make_shared<QMetaObject::Connection>();
    *joined = QObject::connect(&frame, &MainWindow::LoggedIn, &frame, [&frame, host, room, joined] {
        if (FromWire(frame.Connection().Host()).compare(host, Qt::CaseInsensitive) != 0) return;
        QObject::disconnect(*joined);
        frame.OpenRoomWindow(room);
    });
}

}  // namespace

TalvessaApplication::TalvessaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // No display name of its own: the window system would add it to every
    // caption ("Login — Talvessa"). The captions are the program's own.
    setApplicationName(product::kName);
    setApplicationVersion(product::kVersionNumber);
    setDesktopFileName(product::kAppId);
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

MainWindow* StartProgram()
{
    return StartProgram(StartOptions{});
}

MainWindow* StartProgram(const StartOptions& options)
{
    {
        SplashWindow splash;
        splash.exec();  // closes itself when its timer fires
    }
    auto* frame = new MainWindow;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->AboutDialog();  // made now, shown when asked for
    if (options.resetLayout) ForgetFrameLayout();
    RestoreFrameLayout(*frame, options.server.isEmpty() ? RememberedServer::Select : RememberedServer::Leave);
    RememberFrameLayoutAtClose(*frame);
    if (!options.server.isEmpty()) frame->SelectServer(ServerBoxText(options));
    if (!options.room.isEmpty()) JoinAfterLogin(*frame, options.server, options.room);
    frame->show();
    return frame;
}

int RunTalvessa(int& argc, char** argv)
{
    StartOptions options;
    if (const std::optional<int> exitCode = ReadStartOptions(ProgramArguments(argc, argv), options)) {
        // Nobody reads the error output of a link clicked in a browser.
        if (RefusalWantsBox(options, OnTerminal()) && WindowSystemNamed()) {
            TalvessaApplication app(argc, argv);
            ShowRefusal(options);
        }
        return *exitCode;
    }
    TalvessaApplication app(argc, argv);
    StartProgram(options);
    return app.exec();
}
