#pragma once
// The frame window: its menus, tool bar, status bar and away panel, the area
// holding every other window, and the handlers of its controls, which hand
// the work on: the connection's life to ConnectionLifecycle, the child
// windows to ChildWindowRegistry, the user's lists to UserLists, the
// invitations to InvitationPrompts.
#include "chat/private_window.h"
#include "chat/room_window.h"
#include "model/chat_frame.h"
#include "model/network.h"
#include "common/line_sender.h"
#include "protocol/stream/line_connection.h"
#include "shell/child_windows.h"
#include "shell/connection_lifecycle.h"
#include "shell/invitation_prompts.h"
#include "shell/user_lists.h"

#include <QMainWindow>
#include <QMutex>
#include <QPointer>
#include <QStringList>

#include <memory>

class ChatSession;
class HistoryKeeper;
class HistoryMenus;
class ConnectionKeeper;
class ConnectionStatus;
class PaintPacer;
class TypingWatch;
class TlsSwitch;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;
class AboutBox;
class RoomListWindow;
class UserInfoWindow;
class TlsStatus;
class WindowTabs;
class ReaderThread;

// The frame window that holds every other window of the program.
class MainWindow : public QMainWindow, public ChatFrame {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The one server connection, shared by every window that writes lines.
    LineConnection& Connection() override { return connection_; }
    LineSender& Sender() override { return sender_; }
    Network& NetworkModel() override { return network_; }

    // --- The pieces the frame hands its work to ---
    ConnectionLifecycle& Lifecycle() const { return *lifecycle_; }
    ConnectionKeeper& Keeper() const { return *keeper_; }
    ConnectionStatus& LinkStatus() const { return *linkStatus_; }
    ChildWindowRegistry& Windows() const { return *windows_; }
    // Floating windows or tabs, and the keys from window to window.
    WindowTabs& Tabs() const { return *windowTabs_; }
    UserLists& Lists() const { return *lists_; }
    InvitationPrompts& Invitations() const { return *invitations_; }
    HistoryKeeper& History() const { return *history_; }
    HistoryMenus& HistoryEntries() const { return *historyMenus_; }

    // --- Shared values, each accessor copies under one lock ---
    QString CurrentNick() const override;
    void SetCurrentNick(const QString& nick) override;
    void FollowOwnRename(const QString& nick) override;
    QString PendingPrivateNick() const;
    void SetPendingPrivateNick(const QString& nick) override;
    QString WhoPurpose() const override;
    void SetWhoPurpose(const QString& purpose);
    QString AccountFolder() const override;

    // --- The connection ---
    ChatSession* Session() const { return lifecycle_->Session(); }
    ReaderThread* Reader() const { return lifecycle_->Reader(); }
    bool ConnectedLook() const { return lifecycle_->ConnectedLook(); }
    // Closes the connection, with the disconnected handling run once.
    void CloseConnection() { lifecycle_->CloseConnection(); }

    // --- ChatFrame, handed on ---
    QStringList IgnoreList() const override;
    void ChangeIgnoreList(const std::function<void(IgnoreEntries&)>& change) override;
    bool IsIgnored(const QString& nick) const override;
    bool IgnoreForGood(const QString& nick, QWidget* asker) override;
    void AppendLog(const QString& line) override;
    void AppendLogLines(const QStringList& lines) override;
    QWidget* RoomListPane() const override;
    void ShowUserProfile(const UserProfile& profile) override;
    void OpenUserProfile(const QString& nick, QWidget* asker) override;
    QList<QWidget*> ChildWindows() const override;
    QList<QWidget*> PrivateWindowsNamed(const QString& partner) const override;
    QWidget* CurrentChild() const override;
    bool IsActiveChild(const QWidget* child) const override;
    void BringToFront(QWidget* child) override;
    RoomWindow* OpenRoomWindow(const QString& room, const std::string& wireName = {}) override;
    QWidget* ShowRoom(const QString& room, const std::string& wireName = {}) override;
    PrivateWindow* OpenPrivateWindowRequest() override;
    PrivateWindow* OpenPrivateWindowFromUser(const QString& nick) override;
    void InvitationNotification(const QString& inviter, const QString& channel) override;

    // --- Typed commands and mentions (frame_commands.cpp) ---
    QWidget* JoinRoom(const QString& room, const QString& key) override;
    void SetAway(const QString& text) override;
    void SetBack() override;
    void NoteMention(QWidget* child, const QString& sender, const QString& text) override;
    // True while child carries the mark of a line that named the user.
    static bool MentionMarked(const QWidget* child);

    void ReloadFavoritesNotification() override;
    void ReloadBuddiesNotification() override;

    // --- Staying connected (frame_keeping.cpp) ---
    bool UserTyping() const override;
    bool TakeOwnPong(const std::string& token) override;
    void ServerClosingLink(const QString& reason) override;
    QString VersionText() const override;
    // What follows every successful login, by the dialog or a reconnect:
    // the session takes the lines, the first requests go out, the account's
    // lists load, and the rooms left by a lost connection are joined again
    // (first of all after a reconnect, which shows no server panel).
    void AfterLogin(bool reconnected = false);

    QMdiArea* MdiArea() const { return mdiArea_; }
    RoomListWindow* RoomList() const { return roomList_; }
    // The current user information window (the last Profile's), if any.
    UserInfoWindow* UserInformationWindow() const;
    // The about box, made on first use and then reused.
    AboutBox* AboutDialog();
    // Chat, New: an empty room window "No Room".
    RoomWindow* NewRoomWindow();

    // --- Handlers of the controls ---
    void SelectFirstServer();
    void onConnectTriggered();
    void onOptionsTriggered();
    void onNewWindowTriggered();
    void onAwayClicked();
    void onAwayConfirmed();
    void onAwayCancelled();
    void onAwayLineKey(int key);
    void onRoomListClicked();
    void onExitTriggered();
    void onExitClicked();
    void onAboutTriggered();
    void onUpdatesTriggered();
    void onCascadeTriggered();
    void onTileHorizontallyTriggered();
    void onTileVerticallyTriggered();
    void onMinimizeAllTriggered();
    void onArrangeTriggered();


    // The six preset servers of serverBox_.
    static const QStringList& PresetServers();
    // Selects host in serverBox_ when it is one of its items (letter case
    // aside), otherwise types it into the box; the items stay as they are.
    void SelectServer(const QString& host);
    // What the server box says now.
    QString ServerText() const;
    // The frame's own hint, shown where nothing under the pointer has one.
    static QString FrameHint() { return QStringLiteral("List"); }

signals:
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
    void Connect();
    void BuildKeeping();
    void SetMentionMark(QWidget* child, bool on);
    void InstallTypedCommandHelpers();
    void InstallHistory();  // history_frame.cpp
    void FrameActivated();  // the frame became the active window

    LineConnection connection_;
    // Its rooms go with it; a window closed but not yet deleted when the
    // frame goes finds its room gone and asks nothing of it.
    Network network_;
    mutable QMutex sharedLock_;
    QString currentNick_;
    QString accountNick_;  // the login's nick, which names the account's folder
    QString pendingPrivateNick_;
    QString whoPurpose_;

    LineSender sender_{connection_};  // the one road of every line sent on connection_
    std::unique_ptr<ConnectionLifecycle> lifecycle_;  // goes before the connection it serves
    ConnectionKeeper* keeper_ = nullptr;
    ConnectionStatus* linkStatus_ = nullptr;
    TypingWatch* typing_ = nullptr;
    ChildWindowRegistry* windows_ = nullptr;           // children
    WindowTabs* windowTabs_ = nullptr;
    TlsStatus* tlsStatus_ = nullptr;  // the status bar's mark of a TLS connection
    UserLists* lists_ = nullptr;
    InvitationPrompts* invitations_ = nullptr;
    PaintPacer* pacer_ = nullptr;  // spaces out repaints while lines wait
    HistoryKeeper* history_ = nullptr;
    HistoryMenus* historyMenus_ = nullptr;

    QMdiArea* mdiArea_ = nullptr;
    RoomListWindow* roomList_ = nullptr;
    AboutBox* aboutBox_ = nullptr;
    QPointer<UserInfoWindow> userInfo_;  // the user information window of the last Profile
    QList<QAction*> windowListActions_;
    QAction* closeChildAction_ = nullptr;

    // The controls.
    QMenuBar* menuBar_ = nullptr;
    QMenu* chatMenu_ = nullptr;
    QAction* newWindowAction_ = nullptr;
    QAction* connectAction_ = nullptr;
    QAction* optionsAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QMenu* favoritesMenu_ = nullptr;
    QMenu* buddiesMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QAction* cascadeAction_ = nullptr;
    QAction* tileHorizontallyAction_ = nullptr;
    QAction* tileVerticallyAction_ = nullptr;
    QAction* minimizeAllAction_ = nullptr;
    QAction* arrangeAction_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* updatesAction_ = nullptr;
    QAction* webSiteAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolButton* newWindowButton_ = nullptr;
    QComboBox* serverBox_ = nullptr;
    TlsSwitch* tlsSwitch_ = nullptr;  // beside serverBox_: a bare host with TLS
    QToolButton* connectButton_ = nullptr;
    QToolButton* disconnectButton_ = nullptr;
    QToolButton* tileHorizontallyButton_ = nullptr;
    QToolButton* tileVerticallyButton_ = nullptr;
    QToolButton* cascadeButton_ = nullptr;
    QToolButton* awayButton_ = nullptr;
    QToolButton* roomListButton_ = nullptr;
    QToolButton* exitButton_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* hintLabel_ = nullptr;  // hints
    QLabel* connectionLabel_ = nullptr;  // connection state
    QWidget* ownerPanel_ = nullptr; // drawn empty
    QFrame* awayPanel_ = nullptr;
    QLabel* awayLabel_ = nullptr;
    QLineEdit* awayLine_ = nullptr;
    QPushButton* awayOkButton_ = nullptr;
    QPushButton* awayCancelButton_ = nullptr;
    QWidget* emoticonPictures_ = nullptr;
    QObject* actionList_ = nullptr;
};
