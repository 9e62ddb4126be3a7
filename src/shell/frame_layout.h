#pragma once
// The frame's place, size and maximised state and the last server, kept in
// the desktop's configuration folder from one run of the program to the next.
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class MainWindow;

// The server the frame was last set to.
struct ServerChoice {
    QString host;  // the server box's text
};

// What is remembered of the frame.
struct FrameLayout {
    QRect geometry;  // the frame's normal geometry (the one it has when not maximised)
    bool maximised = false;
    ServerChoice server;
};

// A remembered layout fitted to the screens there are now (their available
// areas, the primary one first). The geometry stays where it was when a
// grip-sized part of its top edge (where the title bar is) lies on one
// screen; otherwise it goes onto the screen it overlaps most (the first when
// it overlaps none), shrunk to fit that screen and moved as little as
// possible. The maximised state and the server stay as they were.
FrameLayout RestoredLayout(const FrameLayout& saved, const QList<QRect>& screens);

// The settings file the layout is kept in: the program's one settings file
// (common/program_settings.h), in its folder below the desktop's
// configuration location (XDG_CONFIG_HOME).
QString FrameLayoutFile();
// The remembered layout; none when nothing usable is remembered.
std::optional<FrameLayout> ReadFrameLayout();
void WriteFrameLayout(const FrameLayout& layout);
// Forgets the remembered layout (--reset-layout); the other settings stay.
void ForgetFrameLayout();

// The frame's layout as it stands.
FrameLayout CurrentFrameLayout(const MainWindow& frame);
// What a restore does with the remembered server.
enum class RememberedServer {
    Select,  // put into the server box
    Leave,   // not: the command line named one
};
// Puts the remembered layout, if there is one, on the frame before it is
// shown, fitted to the current screens.
void RestoreFrameLayout(MainWindow& frame, RememberedServer server = RememberedServer::Select);
// From now on the frame's layout is remembered each time the frame closes.
void RememberFrameLayoutAtClose(MainWindow& frame);
