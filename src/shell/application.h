#pragma once
// The application object: the program's title, its one catch point for
// failures that no handler caught, and the start-up sequence.
#include <QApplication>

class MainWindow;
struct StartOptions;

// The application object of the program.
class TalvessaApplication : public QApplication {
    Q_OBJECT
public:
    TalvessaApplication(int& argc, char** argv);

    // Every event passes here: a failure that escaped its handler ends that
    // handler's work and is shown in the general error report.
    bool notify(QObject* receiver, QEvent* event) override;

    // The general error report: a box captioned "Talvessa" with the text,
    // an error icon and an OK button.
    static void ShowException(const QString& text);
};

// Program start after the application object exists: the splash for its
// moment, then the frame (with the room list window) and the about box.
// The frame is shown and returned; the caller runs the event loop. The frame
// comes back where it was last closed, with its last server; a server named
// on the command line is put into the frame's server box instead, and a
// link's room is joined after the login.
MainWindow* StartProgram();
MainWindow* StartProgram(const StartOptions& options);

// The whole program, for main(): the command line is read before any
// window-system connection, so --help, --version and a refused command line
// need no display; then the application object is made, the program started
// and its event loop run. Gives the exit code.
int RunTalvessa(int& argc, char** argv);
