#include "side/room_list_window.h"
#include "model/network.h"

#include "common/line_sender.h"

#include "model/chat_frame.h"
#include "common/line_breaks.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"
#include "side/room_list_model.h"
#include "common/app_icons.h"
#include "transcript/transcript_view.h"

#include <QCloseEvent>
#include <algorithm>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Draws each cell of the room list with thin grid lines around it.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(200, 200, 200));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
};

}  // namespace

RoomListWindow::RoomListWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName("roomListWindow");
    setWindowTitle("Select a room from below list");
    resize(483, 430);

    rooms_ = new RoomListModel(this);
    roomTable_ = new QTreeView(this);
    roomTable_->setObjectName("roomTable");
    roomTable_->setModel(rooms_);
    roomTable_->header()->setSectionsClickable(true);
    roomTable_->header()->setSortIndicatorShown(false);
    connect(roomTable_->header(), &QHeaderView::sectionClicked, this, &RoomListWindow::onColumnClicked);
    connect(roomTable_, &QTreeView::doubleClicked, this, [this] { onRoomDoubleClicked(); });
    roomTable_->setColumnWidth(0, 91);
    roomTable_->setColumnWidth(1, 310);
    roomTable_->setColumnWidth(2, 60);
    roomTable_->setRootIsDecorated(false);
    roomTable_->setUniformRowHeights(true);
    roomTable_->setAllColumnsShowFocus(true);
    roomTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    roomTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    roomTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    roomTable_->setItemDelegate(new GridDelegate(roomTable_));
    QFont listFont(QStringLiteral("Times New Roman"));
    listFont.setPixelSize(13);
    roomTable_->setFont(listFont);

    // Plain lines in the window's font: at its end it stays at its end
    // through resizes, tiling and cascading; scrolled up, it keeps its place.
    log_ = new TranscriptView(this);
    log_->setObjectName("serverLog");
    log_->setAccessibleName(QStringLiteral("Server log"));
    SetSelColor(*log_, log_->palette().color(QPalette::Text));
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    log_->setMinimumHeight(40);

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName("splitter");
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(roomTable_);
    splitter_->addWidget(log_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setSizes({430 - 124, 124});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);

    BuildServerPanel();
}

void RoomListWindow::BuildServerPanel()
{
    serverPanel_ = new QFrame(this);
    serverPanel_->setObjectName("serverPanel");
    serverPanel_->setFrameShape(QFrame::Panel);
    serverPanel_->setFrameShadow(QFrame::Sunken);
    serverPanel_->setFixedSize(265, 193);
    serverPanel_->setAutoFillBackground(true);
    QPalette yellow = serverPanel_->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 204));
    yellow.setColor(QPalette::WindowText, Qt::black);
    serverPanel_->setPalette(yellow);

    serverTitle_ = new QLabel(QStringLiteral("................................"), serverPanel_);
    serverTitle_->setObjectName("serverTitle");
    serverTitle_->setStyleSheet(QStringLiteral("color: red; background: #ffffcc;"));
    QFont bold = serverTitle_->font();
    bold.setBold(true);
    serverTitle_->setFont(bold);
    serverTitle_->setGeometry(10, 8, 220, 20);

    closePanelButton_ = new QToolButton(serverPanel_);
    closePanelButton_->setObjectName("closePanelButton");
    closePanelButton_->setIcon(GlyphIcon(Glyph::CloseCross));
    closePanelButton_->setIconSize(QSize(10, 10));
    closePanelButton_->setAutoRaise(true);
    closePanelButton_->setGeometry(265 - 24, 4, 20, 20);
    connect(closePanelButton_, &QToolButton::clicked, this, &RoomListWindow::onClosePanelClicked);

    roomCountLabel_ = new QLabel(QStringLiteral("Total Chat Rooms:"), serverPanel_);
    roomCountLabel_->setObjectName("roomCountLabel");
    roomCountLabel_->setGeometry(10, 40, 120, 22);
    roomCountBox_ = new QLineEdit(serverPanel_);
    roomCountBox_->setObjectName("roomCountBox");
    roomCountBox_->setReadOnly(true);
    roomCountBox_->setGeometry(135, 40, 118, 22);

    userCountLabel_ = new QLabel(QStringLiteral("Total users:"), serverPanel_);
    userCountLabel_->setObjectName("userCountLabel");
    userCountLabel_->setGeometry(10, 68, 120, 22);
    userCountBox_ = new QLineEdit(serverPanel_);
    userCountBox_->setObjectName("userCountBox");
    userCountBox_->setReadOnly(true);
    userCountBox_->setGeometry(135, 68, 118, 22);

    loadFullListButton_ = new QPushButton(QStringLiteral("Load Full Room List"), serverPanel_);
    loadFullListButton_->setObjectName("loadFullListButton");
    loadFullListButton_->setGeometry(10, 104, 243, 28);
    connect(loadFullListButton_, &QPushButton::clicked, this, &RoomListWindow::onLoadFullListClicked);

    loadListButton_ = new QPushButton(QStringLiteral("Load Rooms Start With"), serverPanel_);
    loadListButton_->setObjectName("loadListButton");
    loadListButton_->setGeometry(10, 144, 170, 28);
    connect(loadListButton_, &QPushButton::clicked, this, &RoomListWindow::onLoadListClicked);
    roomFilterLine_ = new QLineEdit(QStringLiteral("a"), serverPanel_);
    roomFilterLine_->setObjectName("roomFilterLine");
    roomFilterLine_->setGeometry(188, 146, 65, 24);
    KeepOnOneLine(roomFilterLine_);

    serverPanel_->hide();
}

// The window lives as long as the program: its close command is refused and
// its frame shows no close button (set by the frame).
void RoomListWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

void RoomListWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceServerPanel();
}

void RoomListWindow::PlaceServerPanel()
{
    // Floats over the list, centred across it, near its top.
    const QRect list = roomTable_->geometry();
    serverPanel_->move(list.left() + std::max(0, (list.width() - serverPanel_->width()) / 2), list.top() + 24);
}

// Server lines keep their bold and colour codes, and may hold line breaks of
// their own; the log shows each entry as one line of plain text.
void RoomListWindow::AppendLogLine(const QString& line)
{
    if (logBatchDepth_ > 0)
        HoldLogLines({line});
    else
        AddToLog({line});
}

void RoomListWindow::AppendLogLines(const QStringList& lines)
{
    if (logBatchDepth_ > 0)
        HoldLogLines(lines);
    else
        AddToLog(lines);
}

void RoomListWindow::HoldLogLines(const QStringList& lines)
{
    pendingLog_ << lines;
    // A block this large is worth its layout now: the drain then counts its
    // cost against its time slice instead of paying it all at the end.
    if (pendingLog_.size() >= kLogBlockLines) {
        const QStringList block = std::move(pendingLog_);
        pendingLog_.clear();
        AddToLog(block);
    }
}

void RoomListWindow::AddToLog(const QStringList& lines)
{
    QStringList shown;
    shown.reserve(lines.size());
    for (const QString& line : lines) {
        QString text = ShownText(line);
        // A server's line of formatting codes alone would be an empty line.
        if (text.trimmed().isEmpty() && !line.trimmed().isEmpty()) continue;
        shown << std::move(text);
    }
    if (shown.isEmpty()) return;
    // The last line stays open: a line break goes before each new line.
    SetSelStart(*log_, log_->TextLength());
    SetSelText(*log_, (log_->TextLength() > 0 ? QStringLiteral("\n") : QString()) + shown.join(QLatin1Char('\n')));
}

void RoomListWindow::SetFrame(ChatFrame* frame)
{
    if (frame_) disconnect(&frame_->NetworkModel(), nullptr, this, nullptr);
    frame_ = frame;
    if (!frame) return;
    Network& network = frame->NetworkModel();
    // The log lays out once for each run of lines the handlers take in one go.
    connect(&network, &Network::LinesBegun, this, &RoomListWindow::BeginLogBatch);
    connect(&network, &Network::LinesEnded, this, &RoomListWindow::EndLogBatch);
    connect(&network, &Network::RoomListed, this,
            [this](const QString& name, const QString& topic, const QString& users, const std::string& wireName) {
                AddRoomRow(name, topic, users, wireName);
            });
    connect(&network, &Network::RoomTotalKnown, this, &RoomListWindow::SetTotalChannels);
    connect(&network, &Network::UserTotalKnown, this, &RoomListWindow::SetTotalUsers);
}

void RoomListWindow::BeginLogBatch() { ++logBatchDepth_; }

void RoomListWindow::EndLogBatch()
{
    if (logBatchDepth_ == 0 || --logBatchDepth_ > 0) return;
    const QStringList lines = std::move(pendingLog_);
    pendingLog_.clear();
    AppendLogLines(lines);
}

void RoomListWindow::AddRoomRow(const QString& name, const QString& topic, const QString& chatters,
                        const std::string& wireName)
{
    rooms_->Append({name, topic, chatters, -1, wireName});
}

void RoomListWindow::ClearRows() { rooms_->Clear(); }

int RoomListWindow::RowCount() const { return rooms_->Count(); }

void RoomListWindow::onColumnClicked(int column)
{
    sortColumn_ = column;
    rooms_->SortBy(column);
}

void RoomListWindow::onRoomDoubleClicked()
{
    const QModelIndex current = roomTable_->currentIndex();
    if (!frame_ || !current.isValid() || !roomTable_->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return;
    const RoomRow row = rooms_->Row(current.row());  // a copy: opening the window turns the event loop
    frame_->ShowRoom(row.name, row.wireName);
}

void RoomListWindow::SetServerTitle(const QString& title) { serverTitle_->setText(title); }

void RoomListWindow::ShowServerPanel()
{
    PlaceServerPanel();
    serverPanel_->show();
    serverPanel_->raise();
}

void RoomListWindow::HideServerPanel() { serverPanel_->hide(); }

void RoomListWindow::SetTotalChannels(const QString& count) { roomCountBox_->setText(count); }

void RoomListWindow::SetTotalUsers(const QString& count) { userCountBox_->setText(count); }

void RoomListWindow::ResetTotals()
{
    SetTotalChannels(QStringLiteral("0"));
    SetTotalUsers(QString());
}

void RoomListWindow::ForgetServer()
{
    HideServerPanel();
    serverTitle_->setText(QStringLiteral("................................"));
    SetTotalChannels(QString());
    SetTotalUsers(QString());
}

void RoomListWindow::SetConnection(LineConnection* connection)
{
    connection_ = connection;
    ownSender_.reset();
    if (connection) ownSender_ = std::make_unique<LineSender>(*connection);
}

void RoomListWindow::WriteLines(const std::vector<std::string>& lines)
{
    SendOrTell(sender_ ? sender_ : ownSender_.get(), lines, QString(), this);
}

void RoomListWindow::onLoadFullListClicked()
{
    HideServerPanel();
    ClearRows();
    // The totals are read again with the list: the panel shows them fresh.
    // Both requests go as one, so a refusal is told once.
    ResetTotals();
    WriteLines({sent::ListLine(), sent::LusersLine()});
}

void RoomListWindow::onLoadListClicked()
{
    HideServerPanel();
    ClearRows();
    WriteLines({sent::ListStartingLine(ToWire(roomFilterLine_->text()))});
}

void RoomListWindow::onClosePanelClicked() { HideServerPanel(); }
