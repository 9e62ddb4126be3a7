#pragma once
// The frame's child windows: adding and placing them in the area, finding
// room and private windows by name, bringing one to the front, and which
// window takes the front when the active one closes.
#include "shell/child_frame.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>

class ChatFrame;
class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class RoomWindow;
class PrivateWindow;

class ChildWindowRegistry : public QObject {
    Q_OBJECT
public:
    // area: the frame's area; frame: what the windows are given; owner: the
    // frame window, whose caption follows a maximised child's title.
    // windowsChanged(any) follows every window added or gone.
    ChildWindowRegistry(QMdiArea* area, ChatFrame& frame, QMainWindow* owner, std::function<void(bool)> windowsChanged);
    // Every child window goes, the active one last, while the frame is still whole.
    void CloseAll();
    // True while a window closes, until the window that takes the front after
    // it has been chosen: an activation then is no choice of the user's.
    bool WindowClosing() const { return closing_ > 0; }

    // The child windows' widgets, in creation order.
    QList<QWidget*> All() const;
    // Adds a widget (or a child-window frame holding one) as a visible child
    // window: at the default position, or, with prepare, sized by prepare and
    // then placed by Place before it is first shown (restoredSize: its size
    // when it is not maximised, if not the one prepare gave it).
    QMdiSubWindow* Add(QWidget* child, const std::function<void(QMdiSubWindow*)>& prepare = {},
                       QSize restoredSize = {});
    // Places a new child window, once it has its size, and shows it:
    // maximised when another child is maximised (its restored size kept),
    // otherwise cascaded below the others and wholly inside the area (at its
    // top left when it does not fit). others: surveyed before sub was added.
    void Place(QMdiSubWindow* sub, const ChildFrame::Survey& others, QSize restoredSize = {});
    QWidget* Current() const;
    bool IsActive(const QWidget* child) const;
    void BringToFront(QWidget* child);

    // Called with each room window opened for a room and each private window
    // made, once it has its name and before its first line.
    std::function<void(QWidget*)> opened;

    // --- Rooms ---
    // A room's identity: its name without surrounding blanks and controls,
    // letter case aside.
    static QString RoomKey(const QString& room);
    // The open room window of room, if any (the first made).
    RoomWindow* FindRoom(const QString& room) const;
    // Chat, New: an empty room window "No Room".
    RoomWindow* NewRoom();
    // A new room window for room, joined at once.
    RoomWindow* OpenRoom(const QString& room, const std::string& wireName = {});
    // The room list, a favourite, an accepted invitation: the window of room
    // to the front (joined through its join button when it is not in its
    // room), or a new one opened and joined.
    RoomWindow* ShowRoom(const QString& room, const std::string& wireName = {});

    // --- Private windows ---
    // Partner titles compared without control characters, letter case
    // aside; oldest first.
    QList<QWidget*> PrivateWindowsNamed(const QString& partner) const;
    // A new private window for nick; activate: the user asked for it.
    PrivateWindow* MakePrivate(const QString& nick, bool activate);
    // Whisper, buddies: the window titled nick, found or made, in front.
    PrivateWindow* ShowPrivate(const QString& nick);

signals:
    // A private window's partner is to be ignored for good.
    void IgnorePartner(const QString& nick);

private:
    void Index(PrivateWindow* w);
    void Unindex(const QObject* w);
    void Activated(QMdiSubWindow* sub);
    void Closing(QMdiSubWindow* sub);

    QMdiArea* area_;
    ChatFrame& frame_;
    QMainWindow* owner_;
    std::function<void(bool)> windowsChanged_;
    // Private windows by case-folded partner name (control characters left
    // out), oldest first; and each window's key and creation number.
    struct PrivateKey {
        QString name;
        quint64 made = 0;
    };
    QHash<QString, QList<const QObject*>> privateByName_;  // PrivateWindows, kept as objects: a window that goes is one no more
    QHash<const QObject*, PrivateKey> privateKeyOf_;
    quint64 privateMade_ = 0;
    // The windows activated, most recent last (each once): when the active
    // one closes, the one before it takes the front.
    QList<QPointer<QMdiSubWindow>> activated_;
    QObject* closeWatch_ = nullptr;  // sees each window's close
    int closing_ = 0;                // windows closing, until the next turn of the event loop
};
