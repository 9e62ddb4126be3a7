// The room window's controls: its tool bar, transcript, nick list, input line and panels, built once; their looks in and out of a room; the Action menu's canned actions.
#include "chat/room_window.h"
#include "chat/chat_saving.h"

#include "chat/action_menu.h"
#include "chat/country_rooms.h"
#include "chat/find_bar.h"
#include "chat/transcript_links.h"
#include "chat/input_bar.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_menu.h"
#include "chat/nick_list_view.h"
#include "chat/room_panels.h"
#include "chat/renderer.h"
#include "chat/transcript_view.h"
#include "chat/typed_commands.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"
#include "common/chat_frame.h"
#include "common/line_writes.h"
#include "common/line_breaks.h"
#include "common/prompts.h"
#include "common/timings.h"
#include "common/user_data_folder.h"
#include "common/wire_text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString kSelectRoom = QStringLiteral("[Select Room]");
constexpr int kNickListWidth = 128;
// The transcript's least height before the window gives up other rows.
constexpr int kLeastTranscriptHeight = 40;

QToolButton* ToolButton(QWidget* parent, const QString& name, const QString& hint, QStyle::StandardPixmap icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAutoRaise(true);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

}  // namespace

void RoomWindow::BuildToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);

    ComboBoxEx1 = new QComboBox(ToolBar1);
    ComboBoxEx1->setObjectName(QStringLiteral("ComboBoxEx1"));
    ComboBoxEx1->setToolTip(QStringLiteral("Rooms List"));
    ComboBoxEx1->setEditable(true);
    ComboBoxEx1->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxEx1->setMaxVisibleItems(16);
    ComboBoxEx1->setMinimumContentsLength(14);
    ComboBoxEx1->setIconSize(QSize(16, 11));
    for (const CountryRoom& room : CountryRooms())
        ComboBoxEx1->addItem(CountryFlag(room.flagCode), room.name);
    ComboBoxEx1->setCurrentIndex(-1);
    ComboBoxEx1->setEditText(kSelectRoom);
    KeepOnOneLine(ComboBoxEx1->lineEdit());
    // A real key press reaches the combo box, which hands it to its line
    // edit directly, past the line edit's event filters: watch both.
    ComboBoxEx1->installEventFilter(this);
    ComboBoxEx1->lineEdit()->installEventFilter(this);

    joinbtn = ToolButton(ToolBar1, QStringLiteral("joinbtn"), QStringLiteral("Join selected room"),
                         QStyle::SP_MediaPlay);
    partbtn = ToolButton(ToolBar1, QStringLiteral("partbtn"), QStringLiteral("Left the room"),
                         QStyle::SP_MediaStop);
    actionbtn = ToolButton(ToolBar1, QStringLiteral("actionbtn"), QStringLiteral("Send an Action"),
                           QStyle::SP_FileDialogContentsView);
    actionbtn->setText(QStringLiteral("Action"));
    actionbtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    PopupMenu2 = BuildActionMenu(this);
    actionbtn->setMenu(PopupMenu2);
    actionbtn->setPopupMode(QToolButton::InstantPopup);
    blockbtn = ToolButton(ToolBar1, QStringLiteral("blockbtn"), QStringLiteral("Banned Nicks"),
                          QStyle::SP_MessageBoxCritical);
    addbtn = ToolButton(ToolBar1, QStringLiteral("addbtn"), QStringLiteral("Advertise"),
                        QStyle::SP_MessageBoxInformation);
    favbtn = ToolButton(ToolBar1, QStringLiteral("favbtn"), QStringLiteral("Add this room to favorites"),
                        QStyle::SP_DialogYesButton);
    favbtn->setIcon(NickIcon(kHostIcon));
    invitetoolbtn = ToolButton(ToolBar1, QStringLiteral("invitetoolbtn"),
                               QStringLiteral("Invite buddies to this room"), QStyle::SP_FileDialogNewFolder);
    ToolButton9 = ToolButton(ToolBar1, QStringLiteral("ToolButton9"), QStringLiteral("Save Chat"),
                             QStyle::SP_DialogSaveButton);
    exitbtn = ToolButton(ToolBar1, QStringLiteral("exitbtn"), QStringLiteral("Exit"),
                         QStyle::SP_DialogCloseButton);

    ToolBar1->addWidget(ComboBoxEx1);
    ToolBar1->addWidget(joinbtn);
    ToolBar1->addWidget(partbtn);
    ToolBar1->addSeparator();
    ToolBar1->addWidget(actionbtn);
    ToolBar1->addWidget(blockbtn);
    ToolBar1->addWidget(addbtn);
    ToolBar1->addWidget(favbtn);
    ToolBar1->addWidget(invitetoolbtn);
    ToolBar1->addSeparator();
    ToolBar1->addWidget(ToolButton9);
    ToolBar1->addWidget(exitbtn);

    connect(joinbtn, &QToolButton::clicked, this, &RoomWindow::joinbtnClick);
    connect(partbtn, &QToolButton::clicked, this, &RoomWindow::partbtnClick);
    connect(exitbtn, &QToolButton::clicked, this, &RoomWindow::exitbtnClick);
    connect(ToolButton9, &QToolButton::clicked, this, &RoomWindow::ToolButton9Click);
    connect(blockbtn, &QToolButton::clicked, this, &RoomWindow::blockbtnClick);
    connect(addbtn, &QToolButton::clicked, this, &RoomWindow::addbtnClick);
    connect(favbtn, &QToolButton::clicked, this, &RoomWindow::favbtnClick);
    connect(invitetoolbtn, &QToolButton::clicked, this, &RoomWindow::invitetoolbtnClick);
    connect(PopupMenu2, &QMenu::triggered, this, [this](QAction* action) {
        const int index = action->data().toInt();
        if (index < 0)
            Custom1Click();
        else
            RunCannedAction(index);
    });

    titleid = new QLineEdit(QStringLiteral("0"), this);
    titleid->setObjectName(QStringLiteral("titleid"));
    titleid->hide();
}

void RoomWindow::BuildBody()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(19);
    Panel1->setFrameShape(QFrame::NoFrame);

    transcript_ = new TranscriptView(this);
    transcript_->setObjectName(QStringLiteral("transcript"));
    connect(transcript_, &TranscriptView::Change, this, &RoomWindow::mainchatChange);
    new FindBar(transcript_, this);
    FollowLinks(*transcript_, [this] { return frame_; });

    nickList_ = new NickListView(this);
    nickList_->setFixedWidth(kNickListWidth);
    // Both shrink with the window: their own minimum would push the rows
    // below them over each other.
    transcript_->setMinimumHeight(1);
    nickList_->setMinimumHeight(1);
    nickList_->setContextMenuPolicy(Qt::CustomContextMenu);

    BuildNickListMenu();

    Panel2 = new InputBar(this);
    Edit1 = Panel2->Edit1;
    Panel2->SetCompletionNicks([this] { return nickList_->Nicks(); });
    connect(Panel2, &InputBar::EnterPressed, this, &RoomWindow::Edit1KeyDown);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);

    BuildPanels();

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(2);
    middle->addWidget(transcript_, 1);
    middle->addWidget(nickList_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(Panel1);
    layout->addLayout(middle, 1);
    layout->addWidget(Panel2);
    layout->addWidget(StatusBar1);
}

void RoomWindow::BuildPanels()
{
    Panel3 = new CustomActionPanel(this);
    connect(Panel3, &CustomActionPanel::Accepted, this, &RoomWindow::Button1Click);
    connect(Panel3->Button2, &QPushButton::clicked, this, &RoomWindow::Button2Click);

    Panel4 = new KickReasonPanel(this);
    connect(Panel4, &KickReasonPanel::KickRequested, this, &RoomWindow::Button3Click);

    Panel5 = new BanListPanel(this);
    connect(Panel5->Button5, &QPushButton::clicked, this, &RoomWindow::Button5Click);

    invitepanel = new InvitePanel(this);
    connect(invitepanel->invitebtn, &QPushButton::clicked, this, &RoomWindow::invitebtnClick);
}

void RoomWindow::SetInRoomLook(bool inRoom)
{
    ComboBoxEx1->setEnabled(!inRoom);
    joinbtn->setEnabled(!inRoom);
    for (QToolButton* button : {partbtn, actionbtn, invitetoolbtn, favbtn, addbtn, blockbtn})
        button->setEnabled(inRoom);
    if (Timer2->isActive())
        addbtn->setEnabled(false);
}

void RoomWindow::SetHostControlsEnabled(bool enabled)
{
    for (QAction* entry : {Kick1, KickandBan1, Ban1, MakeHost1, DeHost1})
        entry->setEnabled(enabled);
    blockbtn->setEnabled(enabled);
}

void RoomWindow::RunCannedAction(int index)
{
    const QList<CannedAction>& entries = CannedActions();
    if (index < 0 || index >= entries.size())
        return;
    const CannedAction& entry = entries[index];
    const QString nick = nickList_->SelectedNick();
    if (entry.needsNick && nick.isEmpty()) {
        WriteWarningNote(*transcript_, QStringLiteral("To use this action first select a user in the list"));
        return;
    }
    SendAction(QString::fromStdString(entry.text(ToWire(nick))));
}

void RoomWindow::Dance2Click() { RunCannedAction(0); }
void RoomWindow::Laugh2Click() { RunCannedAction(1); }
void RoomWindow::Jump2Click() { RunCannedAction(2); }
void RoomWindow::Scared2Click() { RunCannedAction(3); }
void RoomWindow::Sing2Click() { RunCannedAction(4); }
void RoomWindow::Kiss1Click() { RunCannedAction(5); }
void RoomWindow::Slap1Click() { RunCannedAction(6); }
void RoomWindow::Love1Click() { RunCannedAction(7); }
