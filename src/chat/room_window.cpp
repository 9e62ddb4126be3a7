#include "chat/room_window.h"
#include "chat/attention_flasher.h"
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
#include "chat/command_runner.h"
#include "chat/typed_commands.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"
#include "common/chat_frame.h"
#include "common/line_writes.h"
#include "common/line_breaks.h"
#include "common/prompts.h"
#include "common/timings.h"
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

const QString kNotConnected = QStringLiteral("You are not connected to a server: nothing was sent");
const QString kSelectRoom = QStringLiteral("[Select Room]");
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
    : QWidget(parent), frame_(frame)
{
    setObjectName(QStringLiteral("RoomWindow"));
    setWindowTitle(QStringLiteral("Rovezorirud"));
    setWindowIcon(NickIcon(kNormalIcon));

    BuildToolBar();
    BuildBody();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    connect(Timer2, &QTimer::timeout, this, &RoomWindow::Timer2Timer);

    SetInRoomLook(false);
    resize(kWidth, kHeight);
}

RoomWindow::~RoomWindow() = default;

LineConnection* RoomWindow::Connection() const { return frame_ ? &frame_->Connection() : nullptr; }
QString RoomWindow::OwnNick() const { return frame_ ? frame_->CurrentNick() : QString(); }

void RoomWindow::WriteLine(const std::string& line)
{
    if (!frame_)
        throw TransportError("not connected");
    frame_->Connection().WriteLine(line);
}

void RoomWindow::WriteLines(const std::vector<std::string>& lines)
{
    if (!frame_)
        throw TransportError("not connected");
    frame_->Connection().WriteLines(lines);
}

void RoomWindow::FormCreate()
{
    QMdiSubWindow* sub = SubWindow();
    if (!sub) {
        resize(kWidth, kHeight);
        return;
    }
    if (sub_ != sub) {
        sub_ = sub;
        sub->installEventFilter(this);
        connect(sub, &QMdiSubWindow::windowStateChanged, this, &RoomWindow::SubWindowStateChanged);
    }
    // A window opened while another is maximised is maximised too; its
    // restored size is set when it is restored.
    if (!sub->isMaximized())
        sub->resize(kWidth, kHeight);
}

QMdiSubWindow* RoomWindow::SubWindow() const
{
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

bool RoomWindow::InRoom() const { return !joinbtn->isEnabled(); }

// --- Joining and leaving ---

void RoomWindow::SetTitle(const QString& title)
{
    if (title != windowTitle()) roomWire_.clear();
    setWindowTitle(title);
}

std::string RoomWindow::WireNameFor(const QString& room) const
{
    return !roomWire_.empty() && room == Title() ? roomWire_ : ToWire(room);
}

void RoomWindow::NoteBan(const QString& nick)
{
    if (!banList_.contains(nick, Qt::CaseInsensitive)) banList_ << nick;
}

void RoomWindow::joinbtnClick()
{
    MoveToAppendPosition(*transcript_);
    QString room = ComboBoxEx1->currentText();
    // A typed "#" is the one the line puts in front anyway.
    if (room.startsWith(u'#')) {
        room.remove(0, 1);
        ComboBoxEx1->setEditText(room);
    }
    if (room == kSelectRoom || TrimControls(room).isEmpty()) {
        WriteSystemNote(*transcript_, QStringLiteral("Please selece a room from the list or type the room name"));
        return;
    }
    // A name the server listed goes back as it came, whatever its shown
    // text holds in place of its control bytes.
    const bool serversOwn = HasRoomOnWire() && room == Title();
    if (!serversOwn && SplitsOnTheWire(room)) {
        WriteSystemNote(*transcript_, QStringLiteral("A room name cannot hold spaces or commas"));
        return;
    }
    banList_.clear();
    WriteSystemNote(*transcript_, QStringLiteral("Trying to join room \"") + room + u'"');
    SetTitle(room);
    try {
        WriteLine(sent::JoinLine(WireNameFor(room), ToWire(std::exchange(joinKey_, QString()))));
    } catch (const TransportError&) {
        WriteSystemNote(*transcript_, kNotConnected);
        return;  // the controls stay as they were
    }
    SetInRoomLook(true);
    Edit1->setFocus();
}

void RoomWindow::ConnectionLost(bool byUser)
{
    if (InRoom()) {
        rejoinPending_ = true;
        ComboBoxEx1->setEditText(Title());
    }
    StopAdvertisement();
    SetInRoomLook(false);
    nickList_->ClearEntries();
    SetHostControlsEnabled(false);
    MoveToAppendPosition(*transcript_);
    WriteSystemNote(*transcript_, byUser ? QStringLiteral("Disconnected from the server.")
                                 : QStringLiteral("The connection to the server was lost"));
}

void RoomWindow::Rejoin()
{
    if (!rejoinPending_)
        return;
    rejoinPending_ = false;
    ComboBoxEx1->setEditText(Title());
    joinbtnClick();
}

void RoomWindow::partbtnClick() { Leave(QString()); }

void RoomWindow::Leave(const QString& reason)
{
    try {
        WriteLine(sent::PartSelectorLine(WireNameFor(ComboBoxEx1->currentText()), ToWire(reason)));
    } catch (const TransportError&) {
        return;
    }
    StopAdvertisement();
    SetInRoomLook(false);
    exitbtn->setEnabled(true);
    nickList_->ClearEntries();
    SetTitle(QString());
}

void RoomWindow::exitbtnClick()
{
    if (QMdiSubWindow* sub = SubWindow())
        sub->close();
    else
        close();
}

void RoomWindow::closeEvent(QCloseEvent* event)
{
    // Only a window that is in a room has a room to leave.
    if (InRoom() && Connection() && Connection()->Connected()) {
        try {
            WriteLine(sent::PartRoomLine(RoomOnWire()));
        } catch (const TransportError&) {
            // Closed meanwhile: the window goes all the same.
        }
    }
    AttentionFlasher::Shared().Stop(this);
    Timer2->stop();
    event->accept();
}

// --- Input line ---

void RoomWindow::Edit1KeyDown()
{
    const auto inRoom = [this] {
        if (InRoom()) return true;
        WriteSystemNote(*transcript_, QStringLiteral("Please join a room first"));
        return false;
    };
    RunTypedLine(*Panel2, *transcript_, [this](const TypedLine& line) { RunTypedCommand(line); },
                 [this](const QString& line) { return SendMessage(line); }, inRoom);
}

bool RoomWindow::SendMessage(const QString& line)
{
    MoveToAppendPosition(*transcript_);
    try {
        WriteLines(sent::RoomMessageLines(RoomOnWire(), ToWire(line)));
    } catch (const TransportError&) {
        WriteSystemNote(*transcript_, kNotConnected);
        return false;
    }
    WriteOwnLine(*transcript_, OwnNick(), line);
    return true;
}

// --- Actions ---

bool RoomWindow::SendAction(const QString& action)
{
    if (!WriteLinesOrTell(frame_ ? &frame_->Connection() : nullptr,
                          sent::RoomActionLines(RoomOnWire(), ToWire(action)), this))
        return false;
    MoveToAppendPosition(*transcript_);
    WriteActionLine(*transcript_, OwnNick(), action);
    return true;
}

void RoomWindow::OfferDate1Click() { RunCannedAction(8); }

void RoomWindow::Custom1Click()
{
    PlacePanels();
    Panel3->Open();
}

void RoomWindow::Button1Click()
{
    // After a failure (reported already) the panel stays open with its text.
    if (SendAction(Panel3->Edit2->text()))
        Panel3->hide();
}

void RoomWindow::Button2Click() { Panel3->hide(); }

// --- Activation and attention flashing ---

void RoomWindow::SubWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState)
{
    if ((newState & Qt::WindowActive) && !(oldState & Qt::WindowActive))
        FormActivate();
}

void RoomWindow::FormActivate()
{
    flashPhase_ = 0;
    if (!frame_)
        return;
    frame_->ChangeIgnoreList([this](IgnoreEntries& list) {
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

void RoomWindow::StartAttention()
{
    if (frame_ && frame_->IsActiveChild(this))
        return;
    AttentionFlasher::Shared().Start(this, [this] { Timer1Timer(); });
}

bool RoomWindow::Flashing() const { return AttentionFlasher::Shared().Flashing(this); }

void RoomWindow::Timer1Timer()
{
    if (frame_ && frame_->IsActiveChild(this)) {
        AttentionFlasher::Shared().Stop(this);
        flashPhase_ = 0;
        if (flashLit_) {
            flashLit_ = false;
            if (sub_)
                sub_->update();
        }
        return;
    }
    flashLit_ = flashPhase_ == 1;
    flashPhase_ = 1 - flashPhase_;
    // A frame nobody can see keeps its phase and is painted when it shows.
    if (AttentionFlasher::ShowsOnScreen(sub_))
        sub_->update();
}

bool RoomWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sub_ && event->type() == QEvent::Paint && flashLit_ && !paintingFlash_) {
        // The frame and title bar first, as always; then the title bar once
        // more in the active look on top.
        paintingFlash_ = true;
        static_cast<QObject*>(sub_.data())->event(event);
        paintingFlash_ = false;
        PaintFlashLook();
        return true;
    }
    // "[Select Room]" is a prompt: the first key typed replaces it.
    if ((watched == ComboBoxEx1 || watched == ComboBoxEx1->lineEdit()) && event->type() == QEvent::FocusIn &&
        ComboBoxEx1->currentText() == kSelectRoom)
        QTimer::singleShot(0, ComboBoxEx1->lineEdit(), &QLineEdit::selectAll);
    if ((watched == ComboBoxEx1 || watched == ComboBoxEx1->lineEdit()) &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Only an Enter pressed here joins on its release: the release of
            // the Enter that chose Chat > New lands in the new window's selector.
            if (event->type() == QEvent::KeyPress) {
                enterPressedInSelector_ = !key->isAutoRepeat() || enterPressedInSelector_;
            } else if (!key->isAutoRepeat() && enterPressedInSelector_) {
                enterPressedInSelector_ = false;
                if (ComboBoxEx1->isEnabled()) joinbtnClick();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RoomWindow::PaintFlashLook()
{
    if (!sub_ || sub_->isMaximized())
        return;
    QStyle* style = sub_->style();
    QStyleOptionTitleBar option;
    option.initFrom(sub_);
    option.state |= QStyle::State_Active;
    option.titleBarState = static_cast<int>(sub_->windowState()) | QStyle::State_Active;
    option.titleBarFlags = sub_->windowFlags();
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.icon = sub_->windowIcon();
    option.rect = QRect(0, 0, sub_->width(), style->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub_));

    QPainter painter(sub_);
    painter.setFont(QApplication::font("QMdiSubWindowTitleBar"));
    const QRect label = style->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, sub_);
    option.text = painter.fontMetrics().elidedText(sub_->windowTitle(), Qt::ElideRight, label.width());
    style->drawComplexControl(QStyle::CC_TitleBar, &option, &painter, sub_);
}

// --- Transcript ---

void RoomWindow::mainchatChange()
{
    MoveToAppendPosition(*transcript_);
    transcript_->ScrollCaretIntoView();
}

void RoomWindow::ToolButton9Click()
{
    AskAndSaveTranscript(this, *transcript_, frame_ ? frame_->AccountFolder() : QString());
}

void RoomWindow::resizeEvent(QResizeEvent* event)
{
    FitRowsToHeight();
    QWidget::resizeEvent(event);
    PlacePanels();
}

void RoomWindow::FitRowsToHeight()
{
    const int essential = ToolBar1->sizeHint().height() + kLeastTranscriptHeight +
                          Panel2->sizeHint().height() - (Panel2->StyleBarShown() ? Panel2->StyleBarHeight() : 0);
    int room = height() - essential;
    const auto keep = [&room](int needed) {
        const bool fits = room >= needed;
        if (fits) room -= needed;
        return fits;
    };
    // The most useful part claims the room first.
    const bool styleBar = keep(Panel2->StyleBarHeight());
    const bool gap = keep(Panel1->minimumHeight());
    const bool statusBar = keep(StatusBar1->sizeHint().height());
    Panel2->SetStyleBarShown(styleBar);
    Panel1->setVisible(gap);
    StatusBar1->setVisible(statusBar);
}

void RoomWindow::PlacePanels()
{
    // The panels float over the top left of the transcript; the lists get
    // the height the transcript leaves them.
    const QRect chat = transcript_->geometry();
    const int width = qMax(160, qMin(chat.width() - 16, 380));
    const int listHeight = qMax(120, qMin(chat.height() - 16, 260));
    const auto place = [&](QWidget* panel, int height) {
        panel->setGeometry(chat.left() + 8, chat.top() + 8, width, height);
        panel->raise();
    };
    place(Panel3, Panel3->sizeHint().height());
    place(Panel4, Panel4->sizeHint().height());
    place(Panel5, listHeight);
    place(invitepanel, listHeight);
}

void RoomWindow::ConnectionEndedBecause(const QString& why)
{
    MoveToAppendPosition(*transcript_);
    WriteSystemNote(*transcript_, why);
}
