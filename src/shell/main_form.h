#pragma once
// The frame window: holds every child window, the menus and tool bar, the one
// server connection, the reader thread and the values all windows share.
#include "chat/private_window.h"
#include "chat/room_window.h"
#include "common/account_lists.h"
#include "common/chat_frame.h"
#include "protocol/line_connection.h"
#include "protocol/reader_thread.h"
#include "shell/child_frame.h"
#include "side/user_info_window.h"

#include <QHash>
#include <QMainWindow>
#include <QMutex>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>

class PaintPacer;
class TlsSwitch;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;
class ChatSession;
class TAboutBox;
class TForm4;
class TForm9;

// The frame window that holds every other window of the program.
class TMainForm : public QMainWindow, public ChatFrame {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The one server connection, shared by every window that writes lines.
    LineConnection IdTCPClient1;
    LineConnection& Connection() override { return IdTCPClient1; }

    // --- Shared values, each accessor copies under one lock ---
    QString CurrentNick() const override;
    void SetCurrentNick(const QString& nick) override;
    QString PendingPrivateNick() const;
    void SetPendingPrivateNick(const QString& nick) override;
    QString WhoPurpose() const override;
    void SetWhoPurpose(const QString& purpose);
    // The ignore list: none until a connection made it (HasIgnoreList false).
    bool HasIgnoreList() const;
    QStringList IgnoreList() const override;
    void SetIgnoreList(const std::optional<QStringList>& list);
    void ChangeIgnoreList(const std::function<void(IgnoreEntries&)>& change) override;
    bool IsIgnored(const QString& nick) const override;
    bool IgnoreForGood(const QString& nick, QWidget* asker) override;

    // The session of the open connection: made at login, dropped at disconnect.
    ChatSession* Session() const { return session_; }
    chandler* ReaderThread() const;

    // --- Child windows ---
    QMdiArea* MdiArea() const { return mdiArea_; }
    // The child windows' widgets, in the frame's order (creation order).
    QList<QWidget*> ChildWindows() const override;
    // Adds a widget (or a child-window frame holding one) as a visible child
    // window: at the default position, or, with prepare, sized by prepare and
    // then placed by PlaceNewChild before it is first shown.
    QMdiSubWindow* AddChildWindow(QWidget* child, const std::function<void(QMdiSubWindow*)>& prepare = {});
    // Places a new child window, once it has its size, and shows it:
    // maximised when another child is maximised, otherwise cascaded below
    // the others and wholly inside the area (at its top left when it does
    // not fit). others: the other windows, surveyed before sub was added.
    void PlaceNewChild(QMdiSubWindow* sub, const ChildFrame::Survey& others);
    QList<QWidget*> PrivateWindowsNamed(const QString& partner) const override;
    QWidget* CurrentChild() const override;
    bool IsActiveChild(const QWidget* child) const override;
    void BringToFront(QWidget* child) override;
    TForm4* Form4() const { return form4_; }
    QWidget* RoomListWindow() const override;
    // The user information of the last WHO reply asked for a profile (the
    // profile window shows it while it is open).
    void ShowUserProfile(const UserProfile& profile) override;
    const UserProfile& LastUserProfile() const { return lastProfile_; }
    void OpenUserProfile(const QString& nick, QWidget* asker) override;
    // The current user information window (the last Profile's), if any.
    TForm8* UserInformationWindow() const { return form8_; }
    // Appends one line to the server log (the room list window's log memo).
    void AppendLog(const QString& line) override;
    // Appends several lines at once (cheaper than one by one for a burst).
    void AppendLogLines(const QStringList& lines) override;
    // The about box, made on first use and then reused.
    TAboutBox* AboutBox();

    // --- Windows made on request (defined beside the window classes) ---
    TForm1* NewRoomWindow();                        // Chat, New: an empty room window "No Room"
    TForm1* OpenRoomWindow(const QString& room, const std::string& wireName = {}) override;  // a room window for room, joined at once
    TForm3* OpenPrivateWindowRequest() override;           // the open-private-window request: titled with the pending nick
    TForm3* OpenPrivateWindowFromUser(const QString& nick) override;  // Whisper, buddies: find by exact title or make one
    void IgnorePartnerNotification(const QString& nick);                    // a private window's partner, ignored for good

    // --- Typed commands and mentions (frame_commands.cpp) ---
    QWidget* JoinRoom(const QString& room, const QString& key) override;
    void SetAway(const QString& text) override;
    void SetBack() override;
    void NoteMention(QWidget* child, const QString& sender, const QString& text) override;
    // True while child carries the mark of a line that named the user.
    static bool MentionMarked(const QWidget* child);

    // --- The account's lists (fav.ini, buddies.ini, ignore.ini) ---
    // The user data folder of the connection's host and the current nick.
    QString AccountFolder() const override;
    void EnsureUserDataFolders();
    // Rebuild the Favorites or Buddies menu from its file, in file order.
    void LoadFavoritesMenu();
    void LoadBuddiesMenu();
    // The ignore list in memory becomes the entries of "ignore.ini".
    void LoadIgnoreList();
    // What a login does with the lists: the folders, then both menus, then
    // the ignore list.
    void LoadAccountLists();
    // The actions of the Favorites and Buddies menu items.
    void JoinFavRoom(QAction* item);
    void OpenBuddyPrivMessage(QAction* item);
    // Chat, Options: the options dialog, then the menus and the ignore list
    // read again.
    void Options1Click();
    void ReloadFavoritesNotification() override;
    void ReloadBuddiesNotification() override;

    // --- Invitations ---
    void InvitationNotification(const QString& inviter, const QString& channel) override;
    // Shows the invitation prompt (the invitation notification's handling).
    TForm9* ShowInvitation(const QString& inviter, const QString& channel);

    // --- Reader ---
    // Makes the session of the open connection and starts its reader with a
    // copy of the current nick.
    void StartReader();
    // What becomes of the lines the reader left in its queue when it stops.
    enum class RestOfLines {
        Show,  // handled in slices bounded by time, as during the connection
        Drop,  // the program is closing: nothing more is rendered
    };
    // Asks the reader to stop, waits at most timeoutMs for it (the connection is
    // then closed so that its read ends) and disposes of it. The lines it left
    // are shown from here on (the first slice before this returns) or dropped.
    void StopReader(int timeoutMs, RestOfLines rest = RestOfLines::Show);
    // The reader ended on its own: on a transport error that the program did
    // not cause, or (unexpected) on another failure, which the general error
    // report then shows. When the connection gave up on a server that
    // stopped taking lines, the log and an error box say so.
    void ReaderEndedByServer(const QString& error, bool unexpected = false);
    // True while the lines of an ended connection are still being shown.
    bool ShowingRestOfLines() const { return endingSession_ != nullptr; }
    // True while received lines wait to be handled (a flood): the frame's
    // repaints are spaced out then.
    bool LinesWaiting() const;

    // --- Connection lifecycle ---
    void ConnectitemClick();
    // The connection opened (may be called on any thread; runs on the UI thread).
    void IdTCPClient1Connected();
    // The program closed the open connection.
    void IdTCPClient1Disconnected();
    // Closes the connection and makes sure the disconnected handling ran once,
    // also when the server had closed it first (which raises no notification).
    void CloseConnection();
    // True while the frame shows its connected look.
    bool ConnectedLook() const { return connectedLook_; }

    // --- Other handlers ---
    void FormCreate();
    void newitemClick();
    void awaybtnClick();
    void Button1Click();
    void Button2Click();
    void Edit1KeyDown(int key);
    void roomlistbtnClick();
    void FileExit1Execute();
    void ToolButton12Click();
    void HelpAbout1Execute();
    void Checkforupdates1Click();
    void WindowCascade1Execute();
    void WindowTileHorizontal1Execute();
    void WindowTileVertical1Execute();
    void WindowMinimizeAll1Execute();
    void WindowArrange1Execute();

    // --- Components, by their names ---
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* newitem = nullptr;
    QAction* Connectitem = nullptr;
    QAction* Options1 = nullptr;
    QAction* FileExitItem = nullptr;
    QMenu* Favorites1 = nullptr;
    QMenu* Buddies1 = nullptr;
    QMenu* Window1 = nullptr;
    QAction* WindowCascadeItem = nullptr;
    QAction* WindowTileItem = nullptr;
    QAction* WindowTileItem2 = nullptr;
    QAction* WindowMinimizeItem = nullptr;
    QAction* WindowArrangeItem = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Checkforupdates1 = nullptr;
    QAction* WebSite1 = nullptr;
    QAction* HelpAboutItem = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QToolButton* ToolButton6 = nullptr;
    QComboBox* servercombo = nullptr;
    TlsSwitch* tlsbtn = nullptr;  // beside servercombo: a bare host with TLS
    QToolButton* ToolButton9 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QToolButton* ToolButton8 = nullptr;
    QToolButton* ToolButton10 = nullptr;
    QToolButton* awaybtn = nullptr;
    QToolButton* roomlistbtn = nullptr;
    QToolButton* ToolButton12 = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusPanel0 = nullptr;  // hints
    QLabel* StatusPanel1 = nullptr;  // connection state
    QWidget* StatusPanel2 = nullptr; // drawn empty
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QWidget* Panel8 = nullptr;
    QObject* ActionList1 = nullptr;

    // The six preset servers of servercombo.
    static const QStringList& PresetServers();
    // Selects host in servercombo when it is one of its items (letter case
    // aside), otherwise types it into the box; the items stay as they are.
    void SelectServer(const QString& host);
    // The frame's own hint, shown where nothing under the pointer has one.
    static QString FrameHint() { return QStringLiteral("List"); }

signals:
    // A WHO reply asked for as a profile arrived.
    void UserProfileArrived(const UserProfile& profile);
    // A login succeeded: the reader runs and the account's lists are loaded.
    void LoggedIn();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildAwayPanel();
    void BuildPictures();
    void UpdateWindowActions();
    void SetWindowActionsEnabled(bool any);
    void FillWindowMenu();
    void ApplyConnectedLook();
    void ApplyDisconnectedLook();
    void Disconnect();
    void Connect();
    // Asks the reader to stop, sends "quit" and gives the server readerStopMs
    // to take it and close (one that has not taken it within a second gets
    // no more); then disposes of the reader. Over within readerStopMs and a
    // moment, whatever the server does.
    void QuitAndStopReader(RestOfLines rest = RestOfLines::Show);
    // Runs what must come after the last line of an ended connection (the log's
    // "Disconnected..", the windows' notes): now, or once those lines are shown.
    void AfterLastLines(std::function<void()> step);
    // The ended connection's lines: shown at once (a new connection follows)
    // or dropped (the program is closing).
    void FinishRestOfLines();
    void DropRestOfLines();
    // The index of private windows by partner name.
    void IndexPrivateWindow(TForm3* w);
    void UnindexPrivateWindow(const QObject* w);
    // A new private window for nick; activate: the user asked for it.
    TForm3* MakePrivateWindow(const QString& nick, bool activate);
    // The connection's send limits, from the timings.
    void ApplySendLimits();
    // A reader that ended by the server's doing, not yet handled: handle it now.
    void SettleEndedReader();
    void WaitForReader(int timeoutMs);
    // Every room and private window hears that the connection ended.
    void TellWindowsConnectionLost();
    void TellWindowsWhyConnectionEnded(const QString& why);
    // After a login: rooms left by a lost connection to the same server join again.
    void RejoinRooms();
    void FormClose();
    void FillListMenu(QMenu* menu, AccountList list);
    void SetMentionMark(QWidget* child, bool on);
    void InstallTypedCommandHelpers();
    void FrameActivated();  // the frame became the active window

    mutable QMutex sharedLock_;
    QString currentNick_;
    QString pendingPrivateNick_;
    QString whoPurpose_;
    std::optional<IgnoreEntries> ignoreList_;

    QMdiArea* mdiArea_ = nullptr;
    TForm4* form4_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
    QList<QAction*> windowListActions_;
    QAction* closeChildAction_ = nullptr;
    bool connectedLook_ = false;
    UserProfile lastProfile_;
    QPointer<TForm8> form8_;  // the user information window of the last Profile
    bool loggedIn_ = false;  // a login succeeded and no disconnected handling followed yet
    std::string rejoinHost_;  // the server the room windows' pending rejoins belong to

    ChatSession* session_ = nullptr;  // a child; disposed of with deleteLater: a handler may be mid-call
    PaintPacer* pacer_ = nullptr;  // a child: spaces out repaints while lines wait
    ChatSession* endingSession_ = nullptr;  // an ended connection whose lines are still being shown
    QList<std::function<void()>> afterLastLines_;
    // Private windows by case-folded partner name (control characters left
    // out), oldest first; and each window's key and creation number.
    struct PrivateKey {
        QString name;
        quint64 made = 0;
    };
    QHash<QString, QList<const QObject*>> privateByName_;  // TForm3s, kept as objects: a window that goes is one no more
    QHash<const QObject*, PrivateKey> privateKeyOf_;
    quint64 privateMade_ = 0;
    bool stoppingReader_ = false;
    bool quietClose_ = false;  // the reader's stop closes the connection; its caller reports it
};
