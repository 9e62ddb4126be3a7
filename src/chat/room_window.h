#pragma once

#include "chat/nick_list_menu.h"
#include "common/account_lists.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <string>
#include <vector>

class ChatFrame;
class LineConnection;
class QListWidget;
class QAction;
class QComboBox;
class QFrame;
class QLineEdit;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class BanListPanel;
class CustomActionPanel;
class InputBar;
class InvitePanel;
class KickReasonPanel;
class NickListView;
class TranscriptView;
struct TypedLine;

// The room window: one IRC channel ("room"), its transcript, its nick list,
// the input line and the tool bar to pick, join and leave a room.
//
// The window title is the room name without "#" and is the window's identity:
// the reader's handlers find the window by it. The connection and the own
// nick are the frame's, shared by every room window.
class RoomWindow : public QWidget, public NickListMenu {
    Q_OBJECT

public:
    // The size of a room window that is neither maximised nor minimised.
    static constexpr int kWidth = 541;
    static constexpr int kHeight = 388;

    // The window is not placed anywhere yet; the frame's openers put it into
    // the frame and then call FormCreate().
    explicit RoomWindow(ChatFrame* frame, QWidget* parent = nullptr);
    ~RoomWindow() override;

    // The frame's connection (null without a frame) and the user's nick.
    LineConnection* Connection() const;
    QString OwnNick() const;

    QString Title() const { return windowTitle(); }
    // A new title forgets the server's spelling of the old one.
    void SetTitle(const QString& title);
    // The room's name as the server sent it (from the room list), for a
    // title that shows it cleaned: lines about the room carry these bytes.
    void SetRoomOnWire(std::string bytes) { roomWire_ = std::move(bytes); }
    bool HasRoomOnWire() const { return !roomWire_.empty(); }
    // room as wire bytes: the server's own spelling when room is the title
    // it stands behind, else room as UTF-8.
    std::string WireNameFor(const QString& room) const;
    std::string RoomOnWire() const { return WireNameFor(Title()); }
    // True between a join and the next leave.
    bool InRoom() const;
    // The nicks banned from this room since it was last joined.
    const QStringList& BanList() const { return banList_; }

    // Places the window at its own size once it sits in the frame.
    void FormCreate();

    // A message arrived: starts the attention flashing unless the window is
    // the active one.
    void StartAttention();
    // Which look the title bar has while flashing: true for the active look.
    bool FlashLit() const { return flashLit_; }
    // True while the window flashes (chat/attention_flasher.h beats for it).
    bool Flashing() const;

    // The connection ended (byUser: the user disconnected): a note, and the not-in-a-room look with the
    // room name kept in the selector. A window that was in a room remembers
    // to rejoin it.
    void ConnectionLost(bool byUser = false);
    // Why the program closed the connection, after the "lost" note.
    void ConnectionEndedBecause(const QString& why);
    bool RejoinPending() const { return rejoinPending_; }
    // Joins the remembered room again, as the Join button does; ForgetRejoin
    // drops the wish (a login to another server).
    void Rejoin();
    void ForgetRejoin() { rejoinPending_ = false; }

    // The host-only controls (the host entries of the nick-list menu and
    // blockbtn), switched by the user's own host status in this room.
    void SetHostControlsEnabled(bool enabled);

    // --- Components ---
    QToolBar* ToolBar1 = nullptr;
    QComboBox* ComboBoxEx1 = nullptr;
    QToolButton* joinbtn = nullptr;
    QToolButton* partbtn = nullptr;
    QToolButton* actionbtn = nullptr;
    QToolButton* blockbtn = nullptr;
    QToolButton* addbtn = nullptr;
    QToolButton* favbtn = nullptr;
    QToolButton* invitetoolbtn = nullptr;
    QToolButton* ToolButton9 = nullptr;  // save chat
    QToolButton* exitbtn = nullptr;
    QLineEdit* titleid = nullptr;        // hidden; openers put the room name here
    QFrame* Panel1 = nullptr;
    TranscriptView* transcript_ = nullptr;
    NickListView* nickList_ = nullptr;
    // PopupMenu1 and its entries: see NickListMenu.
    KickReasonPanel* Panel4 = nullptr;  // why a user is kicked
    BanListPanel* Panel5 = nullptr;     // the room's ban list
    InvitePanel* invitepanel = nullptr; // buddies to invite
    QMenu* PopupMenu2 = nullptr;         // the action menu
    CustomActionPanel* Panel3 = nullptr;
    InputBar* Panel2 = nullptr;        // style bar and input line
    QLineEdit* Edit1 = nullptr;          // the input line (inside Panel2)
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer2 = nullptr;            // one advertisement step per tick

public slots:
    void joinbtnClick();
    void partbtnClick();
    void exitbtnClick();
    void ToolButton9Click();
    void Edit1KeyDown();  // Enter in the input line
    void Dance2Click();
    void Laugh2Click();
    void Jump2Click();
    void Scared2Click();
    void Sing2Click();
    void Kiss1Click();
    void Slap1Click();
    void Love1Click();
    void OfferDate1Click();
    void Custom1Click();
    void Button1Click();  // custom action panel: Ok
    void Button2Click();  // custom action panel: Cancel
    void FormActivate();
    void Timer1Timer();
    void mainchatChange();

    // The nick list's menu (room_nick_actions.cpp). Each acts on the nick
    // selected at that moment and does nothing without one.
    void Addtobuddylist1Click();
    void ListView1DblClick();  // also Whisper
    void Ignore1Click();
    void UnIgnore1Click();
    void Kick1Click();
    void KickandBan1Click();
    void Ban1Click();
    void MakeHost1Click();
    void DeHost1Click();
    void Information1Click();  // Profile
    void Button3Click();       // kick-reason panel: Kick (also Enter in Edit3)

    // The room's tools (room_tool_actions.cpp).
    void blockbtnClick();      // the ban list
    void Button5Click();       // ban list: Remove Ban
    void addbtnClick();        // advertise
    void Timer2Timer();
    void favbtnClick();
    void invitetoolbtnClick();
    void invitebtnClick();

    // Leaves the room as partbtn does, with reason on the part line when
    // there is one.
    void Leave(const QString& reason);
    // The key the next join sends with the room name; used once.
    void SetJoinKey(const QString& key) { joinKey_ = key; }
    // A command typed into Edit1, the parser's usage checks passed
    // (room_commands.cpp).
    void RunTypedCommand(const TypedLine& line);
    // Sends line to the room as it stands and echoes it as the own line; a
    // closed connection gets a note, and false.
    bool SendMessage(const QString& line);
    // The nick-list menu's Ignore and UnIgnore for any nick, listed or not.
    void IgnoreNickNamed(const QString& nick);
    void UnignoreNickNamed(const QString& nick);

    // Sends an action to this window's room and shows it as the own action
    // line. A closed connection is reported with an error box; false then.
    bool SendAction(const QString& action);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildToolBar();
    void BuildBody();
    void SetInRoomLook(bool inRoom);
    void BuildNickListMenu();
    void BuildPanels();
    // Ends a running advertisement; addbtn follows the in-room look again.
    void StopAdvertisement();
    // A moderation line for the room: a line the connection would refuse
    // (a line break or NUL in what the user typed) gets a note and is not
    // sent; a closed connection gets the error report. True when it went out.
    bool SendRoomLine(const std::string& line);
    bool SendRoomLines(const std::vector<std::string>& lines);
    // Adds entry to one of the account's list files; a failure is reported.
    bool AddToAccountList(AccountList list, const QString& entry);
    void RunCannedAction(int index);
    void PlacePanels();
    // A panel over the transcript: its list emptied, placed, shown on top.
    void OpenPanel(QWidget* panel, QListWidget* list = nullptr);
    // Keeps the window's rows apart at any height: below its natural height
    // it hides the status bar, then the gap above the transcript, then the
    // style bar, while the transcript and nick list shrink.
    void FitRowsToHeight();
    QMdiSubWindow* SubWindow() const;
    void SubWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    void PaintFlashLook();
    // Writes one line to the frame's connection; throws TransportError when
    // there is none or it is closed.
    void WriteLine(const std::string& line);
    void WriteLines(const std::vector<std::string>& lines);

    ChatFrame* frame_;
    QPointer<QWidget> sub_;  // the frame's sub-window around this window
    QStringList banList_;
    QString joinKey_;
    // Adds nick to the ban list unless it is there already (letter case aside).
    void NoteBan(const QString& nick);
    std::string roomWire_;
    int advertisementPosition_ = 0;  // next nick-list entry the advertisement goes to
    int flashPhase_ = 0;
    bool flashLit_ = false;
    bool paintingFlash_ = false;
    bool rejoinPending_ = false;
    bool enterPressedInSelector_ = false;
};
