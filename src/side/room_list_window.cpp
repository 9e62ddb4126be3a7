#include "side/room_list_window.h"

#include "common/line_sender.h"

#include "common/chat_frame.h"
#include "common/line_breaks.h"
#include "common/scroll_place.h"
#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/stream/line_connection.h"
#include "protocol/irc/sent_lines.h"
#include "side/room_list_model.h"
#include "common/app_icons.h"

#include <QCloseEvent>
#include <algorithm>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
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

// The server log's view: at its end it stays at its end through resizes,
// tiling and cascading (new lines show); scrolled up, it keeps its place.
class ServerLogView : public QPlainTextEdit {
public:
    explicit ServerLogView(QWidget* parent) : QPlainTextEdit(parent), place_(new ScrollPlace(this)) {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        ScrollPlace::Move move(*place_);
        QPlainTextEdit::resizeEvent(event);
    }
    void showEvent(QShowEvent* event) override
    {
        ScrollPlace::Move move(*place_);
        QPlainTextEdit::showEvent(event);
    }

private:
    ScrollPlace* place_;
};

}  // namespace

RoomListWindow::RoomListWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName("Form4");
    setWindowTitle("Select a room from below list");
    resize(483, 430);

    Rooms = new RoomListModel(this);
    RoomList = new QTreeView(this);
    RoomList->setObjectName("RoomList");
    RoomList->setModel(Rooms);
    RoomList->header()->setSectionsClickable(true);
    RoomList->header()->setSortIndicatorShown(false);
    connect(RoomList->header(), &QHeaderView::sectionClicked, this, &RoomListWindow::RoomListColumnClick);
    connect(RoomList, &QTreeView::doubleClicked, this, [this] { RoomListDblClick(); });
    RoomList->setColumnWidth(0, 91);
    RoomList->setColumnWidth(1, 310);
    RoomList->setColumnWidth(2, 60);
    RoomList->setRootIsDecorated(false);
    RoomList->setUniformRowHeights(true);
    RoomList->setAllColumnsShowFocus(true);
    RoomList->setSelectionBehavior(QAbstractItemView::SelectRows);
    RoomList->setSelectionMode(QAbstractItemView::SingleSelection);
    RoomList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RoomList->setItemDelegate(new GridDelegate(RoomList));
    QFont listFont(QStringLiteral("Times New Roman"));
    listFont.setPixelSize(13);
    RoomList->setFont(listFont);

    log = new ServerLogView(this);
    log->setObjectName("log");
    log->setReadOnly(true);
    log->setUndoRedoEnabled(false);  // nothing to undo, and no copy of every line kept for it
    log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    log->setMinimumHeight(40);

    Splitter2 = new QSplitter(Qt::Vertical, this);
    Splitter2->setObjectName("Splitter2");
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(RoomList);
    Splitter2->addWidget(log);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setSizes({430 - 124, 124});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter2);

    BuildServerPanel();
    FormCreate();
}

void RoomListWindow::BuildServerPanel()
{
    serverstat = new QFrame(this);
    serverstat->setObjectName("serverstat");
    serverstat->setFrameShape(QFrame::Panel);
    serverstat->setFrameShadow(QFrame::Sunken);
    serverstat->setFixedSize(265, 193);
    serverstat->setAutoFillBackground(true);
    QPalette yellow = serverstat->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 204));
    yellow.setColor(QPalette::WindowText, Qt::black);
    serverstat->setPalette(yellow);

    servertitle = new QLabel(QStringLiteral("................................"), serverstat);
    servertitle->setObjectName("servertitle");
    servertitle->setStyleSheet(QStringLiteral("color: red; background: #ffffcc;"));
    QFont bold = servertitle->font();
    bold.setBold(true);
    servertitle->setFont(bold);
    servertitle->setGeometry(10, 8, 220, 20);

    SpeedButton1 = new QToolButton(serverstat);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setIcon(GlyphIcon(Glyph::CloseCross));
    SpeedButton1->setIconSize(QSize(10, 10));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(265 - 24, 4, 20, 20);
    connect(SpeedButton1, &QToolButton::clicked, this, &RoomListWindow::SpeedButton1Click);

    Label2 = new QLabel(QStringLiteral("Total Chat Rooms:"), serverstat);
    Label2->setObjectName("Label2");
    Label2->setGeometry(10, 40, 120, 22);
    totalchannelstxt = new QLineEdit(serverstat);
    totalchannelstxt->setObjectName("totalchannelstxt");
    totalchannelstxt->setReadOnly(true);
    totalchannelstxt->setGeometry(135, 40, 118, 22);

    Label3 = new QLabel(QStringLiteral("Total users:"), serverstat);
    Label3->setObjectName("Label3");
    Label3->setGeometry(10, 68, 120, 22);
    totaluserstxt = new QLineEdit(serverstat);
    totaluserstxt->setObjectName("totaluserstxt");
    totaluserstxt->setReadOnly(true);
    totaluserstxt->setGeometry(135, 68, 118, 22);

    Button6 = new QPushButton(QStringLiteral("Load Full Room List"), serverstat);
    Button6->setObjectName("Button6");
    Button6->setGeometry(10, 104, 243, 28);
    connect(Button6, &QPushButton::clicked, this, &RoomListWindow::Button6Click);

    Button1 = new QPushButton(QStringLiteral("Load Rooms Start With"), serverstat);
    Button1->setObjectName("Button1");
    Button1->setGeometry(10, 144, 170, 28);
    connect(Button1, &QPushButton::clicked, this, &RoomListWindow::Button1Click);
    Edit3 = new QLineEdit(QStringLiteral("a"), serverstat);
    Edit3->setObjectName("Edit3");
    Edit3->setGeometry(188, 146, 65, 24);
    KeepOnOneLine(Edit3);

    serverstat->hide();
}

void RoomListWindow::FormCreate()
{
    // The window lives as long as the program: its close command is refused
    // (closeEvent) and its frame shows no close button (set by the frame).
}

void RoomListWindow::closeEvent(QCloseEvent* event) { event->ignore(); }

void RoomListWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceServerPanel();
}

void RoomListWindow::PlaceServerPanel()
{
    // Floats over the list, centred across it, near its top.
    const QRect list = RoomList->geometry();
    serverstat->move(list.left() + std::max(0, (list.width() - serverstat->width()) / 2), list.top() + 24);
}

const QString RoomListWindow::kLogDroppedNote = QStringLiteral("(Older lines of this log were dropped.)");

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
    log->appendPlainText(shown.join(QLatin1Char('\n')));
    DropOldLogLines();
}

void RoomListWindow::DropOldLogLines()
{
    QTextDocument* text = log->document();
    const bool noted = text->firstBlock().text() == kLogDroppedNote;
    const int lines = text->blockCount() - (noted ? 1 : 0);
    // In blocks: each drop costs a pass over the document's start.
    if (lines <= kLogKeptLines + kLogDropBlock) return;
    QTextCursor cut(text);
    if (noted) cut.movePosition(QTextCursor::NextBlock);
    const QTextBlock firstKept = text->findBlockByNumber((noted ? 1 : 0) + lines - kLogKeptLines);
    cut.setPosition(firstKept.position(), QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    if (!noted) cut.insertText(kLogDroppedNote + u'\n');
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
    Rooms->Append({name, topic, chatters, -1, wireName});
}

void RoomListWindow::ClearRows() { Rooms->Clear(); }

int RoomListWindow::RowCount() const { return Rooms->Count(); }

void RoomListWindow::RoomListColumnClick(int column)
{
    sortColumn_ = column;
    Rooms->SortBy(column);
}

void RoomListWindow::RoomListDblClick()
{
    const QModelIndex current = RoomList->currentIndex();
    if (!frame_ || !current.isValid() || !RoomList->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return;
    const RoomRow row = Rooms->Row(current.row());  // a copy: opening the window turns the event loop
    frame_->ShowRoom(row.name, row.wireName);
}

void RoomListWindow::ShowServerPanel()
{
    PlaceServerPanel();
    serverstat->show();
    serverstat->raise();
}

void RoomListWindow::HideServerPanel() { serverstat->hide(); }

void RoomListWindow::SetTotalChannels(const QString& count) { totalchannelstxt->setText(count); }

void RoomListWindow::SetTotalUsers(const QString& count) { totaluserstxt->setText(count); }

void RoomListWindow::setIdTCPClient(LineConnection* connection)
{
    connection_ = connection;
    ownSender_.reset();
    if (connection) ownSender_ = std::make_unique<LineSender>(*connection);
}

void RoomListWindow::WriteLine(const std::string& line)
{
    SendOrTell(sender_ ? sender_ : ownSender_.get(), {line}, QString(), this);
}

void RoomListWindow::Button6Click()
{
    HideServerPanel();
    ClearRows();
    WriteLine(sent::ListLine());
}

void RoomListWindow::Button1Click()
{
    HideServerPanel();
    ClearRows();
    WriteLine(sent::ListStartingLine(ToWire(Edit3->text())));
}

void RoomListWindow::SpeedButton1Click() { HideServerPanel(); }
