#include "chat/room_window.h"
#include "chat/history_lines.h"

#include "chat/action_menu.h"
#include "chat/command_runner.h"
#include "chat/input_bar.h"
#include "chat/nick_icons.h"
#include "chat/nick_list_actions.h"
#include "chat/nick_list_view.h"
#include "chat/renderer.h"
#include "chat/room_lines.h"
#include "chat/room_tool_bar.h"
#include "chat/room_tools.h"
#include "transcript/transcript_view.h"
#include "chat/typed_commands.h"
#include "model/chat_frame.h"
#include "common/line_breaks.h"
#include "common/line_sender.h"
#include "model/line_writes.h"
#include "model/network.h"
#include "model/room.h"
#include "common/wire_text.h"
#include "protocol/irc/sent_lines.h"
#include "protocol/stream/line_connection.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

constexpr int kNickListWidth = 128;
// The transcript's least height before the window gives up other rows.
constexpr int kLeastTranscriptHeight = 40;

// A room name the server would read as something else: a space ends the
// channel parameter, a comma separates several channels.
bool SplitsOnTheWire(const QString& room)
{
    const QString core = TrimControls(room);
    return core.contains(u' ') || core.contains(u',') || core.contains(QChar(0x07));
}

}  // namespace

RoomWindow::RoomWindow(ChatFrame* frame, QWidget* parent)
    : ChatWindow(frame, parent)
{
    setObjectName(QStringLiteral("roomWindow"));
    setWindowTitle(QStringLiteral("Rovezorirud"));
    setWindowIcon(NickIcon(kNormalIcon));
    // A window on its own (tests, previews) keeps a room of its own.
    room_ = frame ? frame->NetworkModel().OpenRoom() : new Room(QString(), std::string(), this);
    room_->SetShownName(windowTitle());

    // The tool bar comes first in the Tab order: a new window starts in the
    // room selector.
    toolBar_ = new RoomToolBar(this);
    topGap_ = new QFrame(this);
    topGap_->setObjectName(QStringLiteral("topGap"));
    topGap_->setFixedHeight(19);
    topGap_->setFrameShape(QFrame::NoFrame);
    BuildChatParts();
    nickList_ = new NickListView(this);
    nickList_->setFixedWidth(kNickListWidth);
    // Both shrink with the window: their own minimum would push the rows
    // below them over each other.
    Transcript().setMinimumHeight(1);
    nickList_->setMinimumHeight(1);
    Input().SetCompletionNicks([this] { return nickList_->Nicks(); });
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("statusBar"));
    statusBar_->setSizeGripEnabled(false);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(2);
    middle->addWidget(&Transcript(), 1);
    middle->addWidget(nickList_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(topGap_);
    layout->addLayout(middle, 1);
    layout->addWidget(&Input());
    layout->addWidget(statusBar_);

    customActionPanel_ = new CustomActionPanel(&Transcript(), this);
    connect(customActionPanel_, &CustomActionPanel::Accepted, this, [this](const QString& action) {
        // After a failure (reported already) the panel stays open with its text.
        if (SendAction(action)) customActionPanel_->hide();
    });
    tools_ = new RoomTools(*this, *toolBar_);
    nickActions_ = new NickListActions(*this, *tools_);

    connect(toolBar_, &RoomToolBar::JoinClicked, this, &RoomWindow::onJoinClicked);
    connect(toolBar_, &RoomToolBar::LeaveClicked, this, [this] { Leave(QString()); });
    connect(toolBar_, &RoomToolBar::ActionChosen, this, &RoomWindow::RunAction);
    connect(toolBar_, &RoomToolBar::SaveClicked, this, &RoomWindow::onSaveClicked);
    connect(toolBar_, &RoomToolBar::CloseClicked, this, [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    });

    lines_ = new RoomLines(*this, *room_);
    toolBar_->SetInRoomLook(false, false);
    resize(kWidth, kHeight);
}

RoomWindow::~RoomWindow()
{
    if (room_ && Frame()) Frame()->NetworkModel().RemoveRoom(room_);
}

void RoomWindow::SetInRoom(bool in)
{
    room_->SetJoined(in);
    toolBar_->SetInRoomLook(in, in && tools_->Advertising());
}

void RoomWindow::PlaceInFrame()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub) {
        resize(kWidth, kHeight);
        return;
    }
    WatchChildFrame(sub, [this] { onActivated(); });
    // A window opened while another is maximised is maximised too; its
    // restored size is set when it is restored.
    if (!sub->isMaximized())
        sub->resize(kWidth, kHeight);
}

bool RoomWindow::InRoom() const { return room_ && room_->Joined(); }

bool RoomWindow::LeftRoom() const { return room_ && room_->Left(); }

void RoomWindow::SetRoomOnWire(std::string bytes) { room_->SetWireName(std::move(bytes)); }

bool RoomWindow::HasRoomOnWire() const { return room_ && !room_->WireName().empty(); }

const QStringList& RoomWindow::BanList() const { return tools_->BanList(); }

// --- Joining and leaving ---

void RoomWindow::SetTitle(const QString& title)
{
    room_->SetShownName(title);  // forgets the server's spelling of another name
    setWindowTitle(title);
}

std::string RoomWindow::WireNameFor(const QString& room) const
{
    return HasRoomOnWire() && room == Title() ? room_->WireName() : ToWire(room);
}

void RoomWindow::onJoinClicked() { Join(toolBar_->SelectedRoom()); }

void RoomWindow::Join(const QString& typed, const QString& key)
{
    if (typed != toolBar_->SelectedRoom())
        toolBar_->SetSelectedRoom(typed);
    TranscriptView& transcript = Transcript();
    MoveToAppendPosition(transcript);
    QString room = toolBar_->SelectedRoom();
    // A typed "#" is the one the line puts in front anyway.
    if (room.startsWith(u'#')) {
        room.remove(0, 1);
        toolBar_->SetSelectedRoom(room);
    }
    if (TrimControls(room).isEmpty()) {
        WriteSystemNote(transcript, QStringLiteral("Please selece a room from the list or type the room name"));
        return;
    }
    // A name the server listed goes back as it came, whatever its shown
    // text holds in place of its control bytes.
    const bool serversOwn = HasRoomOnWire() && room == Title();
    if (!serversOwn && SplitsOnTheWire(room)) {
        WriteSystemNote(transcript, QStringLiteral("A room name cannot hold spaces or commas"));
        return;
    }
    tools_->ClearBans();
    room_->SetLeft(false);
    WriteSystemNote(transcript, QStringLiteral("Trying to join room \"") + room + u'"');
    SetTitle(room);
    key_ = key;
    if (!SendLinesOrNote({sent::JoinLine(WireNameFor(room), ToWire(key))}, RoomTarget()))
        return;  // the controls stay as they were
    SetInRoom(true);
    Input().FocusLine();
}

void RoomWindow::ConnectionLost(bool byUser)
{
    if (InRoom()) {
        rejoinPending_ = true;
        toolBar_->SetSelectedRoom(Title());
    }
    tools_->StopAdvertisement();
    SetInRoom(false);
    room_->ClearMembers();
    room_->SetOwnHost(false);
    SetHostControlsEnabled(false);
    ChatWindow::ConnectionLost(byUser);
}

void RoomWindow::Rejoin(bool sameServer)
{
    if (!std::exchange(rejoinPending_, false) || !sameServer)
        return;
    Join(Title(), key_);
}

QString RoomWindow::RoomTarget() const { return QStringLiteral("#") + QString::fromStdString(RoomOnWire()); }

void RoomWindow::Leave(const QString& reason)
{
    DropWaitingLines(RoomTarget());
    const std::string selected = WireNameFor(toolBar_->SelectedRoom());
    if (!SendLinesOrNote({sent::PartSelectorLine(selected, ToWire(reason))},
                         QStringLiteral("#") + QString::fromStdString(selected)))
        return;
    tools_->StopAdvertisement();
    SetInRoom(false);
    room_->ClearMembers();
    room_->SetLeft(true);
    MoveToAppendPosition(Transcript());
    WriteInfoNote(Transcript(), QStringLiteral("You left the room \"") + Title() + u'"');
    Transcript().ScrollCaretIntoView();
}

void RoomWindow::closeEvent(QCloseEvent* event)
{
    // Only a window that is in a room has a room to leave.
    if (LineSender* sender = Sender()) {
        sender->DropTarget(RoomTarget());  // the window goes with what it was to say
        // Closed meanwhile: the window goes all the same.
        if (InRoom() && Connection() && Connection()->Connected())
            sender->Send(sent::PartRoomLine(RoomOnWire()), RoomTarget());
    }
    StopAttention();
    tools_->StopAdvertisement();
    event->accept();
}

// --- Input line and sending ---

void RoomWindow::onInputEntered()
{
    const auto inRoom = [this] {
        if (InRoom()) return true;
        WriteSystemNote(Transcript(), QStringLiteral("Please join a room first"));
        return false;
    };
    RunTypedLine(Input(), Transcript(), [this](const TypedLine& line) { RunTypedCommand(line); },
                 [this](const QString& line) { return SendMessage(line); }, inRoom);
}

bool RoomWindow::SendMessage(const QString& line)
{
    return SendLinesOrNote(sent::RoomMessageLines(RoomOnWire(), ToWire(line)), RoomTarget(), [this, line] {
        MoveToAppendPosition(Transcript());
        WriteOwnLine(Transcript(), OwnNick(), line);
        KeepRoomLine(*this, OwnNick(), HistoryKind::Message, line);
    });
}

void RoomWindow::onLinesPasted(const QStringList& lines)
{
    if (!InRoom()) {
        WriteSendNote(QStringLiteral("Please join a room first"));
        return;
    }
    SendPastedLines(
        lines, RoomTarget(), [this](const QString& line) { return sent::RoomMessageLines(RoomOnWire(), ToWire(line)); },
        [this](const QString& line) {
            MoveToAppendPosition(Transcript());
            WriteOwnLine(Transcript(), OwnNick(), line);
            KeepRoomLine(*this, OwnNick(), HistoryKind::Message, line);
        });
}

bool RoomWindow::SendAction(const QString& action)
{
    return SendLinesOrNote(sent::RoomActionLines(RoomOnWire(), ToWire(action)), RoomTarget(), [this, action] {
        MoveToAppendPosition(Transcript());
        WriteActionLine(Transcript(), OwnNick(), action);
        KeepRoomLine(*this, OwnNick(), HistoryKind::Action, action);
    });
}

bool RoomWindow::SendRoomLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (!LineConnection::Sendable(line)) {
            MoveToAppendPosition(Transcript());
            WriteWarningNote(Transcript(), kUnsendableNote);
            return false;
        }
    return SendOrTell(Sender(), lines, RoomTarget(), this);
}

void RoomWindow::RunAction(int index)
{
    if (index < 0) {
        customActionPanel_->OpenForAction();
        return;
    }
    const QList<CannedAction>& entries = CannedActions();
    if (index >= entries.size())
        return;
    const CannedAction& entry = entries[index];
    const QString nick = nickList_->SelectedNick();
    if (entry.needsNick && nick.isEmpty()) {
        WriteWarningNote(Transcript(), QStringLiteral("To use this action first select a user in the list"));
        return;
    }
    SendAction(QString::fromStdString(entry.text(ToWire(nick))));
}

void RoomWindow::SetHostControlsEnabled(bool enabled)
{
    nickActions_->SetHostEntriesEnabled(enabled);
    toolBar_->SetBanListEnabled(enabled);
}

// --- Activation and attention ---

void RoomWindow::onActivated()
{
    if (!Frame())
        return;
    Frame()->ChangeIgnoreList([this](IgnoreEntries& list) {
        const QStringList entries = list.Entries();
        for (const QString& entry : entries) {
            // An empty entry would begin every nick.
            if (entry.isEmpty())
                continue;
            QTreeWidgetItem* match = nickList_->FindPrefix(entry);
            if (!match || NickListView::IconNumber(match) == kIgnoredIcon)
                continue;
            if (NickListView::IconNumber(match) == kHostIcon && !entry.startsWith(u'@')) {
                list.RemoveOne(entry);
                list.Append(u'@' + NickListView::Nick(match));
            }
            NickListView::SetIconNumber(match, kIgnoredIcon);
        }
    });
}

void RoomWindow::resizeEvent(QResizeEvent* event)
{
    InputBar& input = Input();
    const int essential = toolBar_->sizeHint().height() + kLeastTranscriptHeight + input.sizeHint().height() -
                          (input.StyleBarShown() ? input.StyleBarHeight() : 0);
    int room = height() - essential;
    const auto keep = [&room](int needed) {
        const bool fits = room >= needed;
        if (fits) room -= needed;
        return fits;
    };
    // The most useful part claims the room first.
    const bool styleBar = keep(input.StyleBarHeight());
    const bool gap = keep(topGap_->minimumHeight());
    const bool statusBar = keep(statusBar_->sizeHint().height());
    input.SetStyleBarShown(styleBar);
    topGap_->setVisible(gap);
    statusBar_->setVisible(statusBar);
    QWidget::resizeEvent(event);
}
