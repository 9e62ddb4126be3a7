#include "side/history_search_window.h"

#include "common/shown_text.h"
#include "common/wire_text.h"
#include "model/history_text.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { kTimeColumn, kRoomColumn, kNickColumn, kTextColumn };
constexpr int kHitRole = Qt::UserRole;      // the hit's place in hits_
constexpr int kMarkedRole = Qt::UserRole + 1;  // the text with its matches marked

QString Shown(const QByteArray& bytes) { return ShownText(FromWire(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())))); }


// Draws the text column's rich text: the matches marked.
class MarkedTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString marked = index.data(kMarkedRole).toString();
        if (marked.isEmpty()) return QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem look = option;
        initStyleOption(&look, index);
        look.text.clear();
        look.widget->style()->drawControl(QStyle::CE_ItemViewItem, &look, painter, look.widget);
        QTextDocument document;
        document.setDefaultFont(option.font);
        document.setDocumentMargin(2);
        document.setHtml(marked);
        painter->save();
        painter->translate(option.rect.topLeft());
        painter->setClipRect(QRect(QPoint(0, 0), option.rect.size()));
        QAbstractTextDocumentLayout::PaintContext context;
        if (option.state & QStyle::State_Selected)
            context.palette.setColor(QPalette::Text, option.palette.color(QPalette::HighlightedText));
        document.documentLayout()->draw(painter, context);
        painter->restore();
    }
};

}  // namespace

QString MarkedMatches(const QString& plainText, const QList<std::pair<int, int>>& matches)
{
    QString html;
    int at = 0;
    for (const auto& [start, length] : matches) {
        if (start < at || start + length > plainText.size()) continue;
        html += ShownText(plainText.mid(at, start - at)).toHtmlEscaped();
        html += QStringLiteral("<span style=\"background-color:#fff1a8;font-weight:bold\">") +
                ShownText(plainText.mid(start, length)).toHtmlEscaped() + QStringLiteral("</span>");
        at = start + length;
    }
    html += ShownText(plainText.mid(at)).toHtmlEscaped();
    return QStringLiteral("<span style=\"white-space:pre\">") + html + QStringLiteral("</span>");
}

HistorySearchWindow::HistorySearchWindow(QString path, QWidget* parent)
    : QWidget(parent, Qt::Window), path_(std::move(path))
{
    setObjectName(QStringLiteral("historySearchWindow"));
    setWindowTitle(QStringLiteral("Search History"));
    resize(760, 480);

    wordsEdit_ = new QLineEdit(this);
    wordsEdit_->setObjectName(QStringLiteral("wordsEdit"));
    wordsEdit_->setPlaceholderText(QStringLiteral("words, \"a phrase\", prefix*"));
    roomBox_ = new QComboBox(this);
    roomBox_->setObjectName(QStringLiteral("roomBox"));
    nickEdit_ = new QLineEdit(this);
    nickEdit_->setObjectName(QStringLiteral("nickEdit"));
    fromCheck_ = new QCheckBox(QStringLiteral("From"), this);
    fromCheck_->setObjectName(QStringLiteral("fromCheck"));
    fromDate_ = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    fromDate_->setObjectName(QStringLiteral("fromDate"));
    toCheck_ = new QCheckBox(QStringLiteral("To"), this);
    toCheck_->setObjectName(QStringLiteral("toCheck"));
    toDate_ = new QDateEdit(QDate::currentDate(), this);
    toDate_->setObjectName(QStringLiteral("toDate"));
    for (QDateEdit* date : {fromDate_, toDate_}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    searchButton_ = new QPushButton(QStringLiteral("Search"), this);
    searchButton_->setObjectName(QStringLiteral("searchButton"));
    searchButton_->setDefault(true);

    results_ = new QTreeWidget(this);
    results_->setObjectName(QStringLiteral("results"));
    results_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Room"), QStringLiteral("Nick"), QStringLiteral("Text")});
    results_->setRootIsDecorated(false);
    results_->setUniformRowHeights(true);
    results_->setItemDelegateForColumn(kTextColumn, new MarkedTextDelegate(results_));
    results_->header()->setStretchLastSection(true);
    results_->setColumnWidth(kTimeColumn, 140);
    results_->setColumnWidth(kRoomColumn, 130);
    results_->setColumnWidth(kNickColumn, 90);

    newerButton_ = new QPushButton(QStringLiteral("< Newer"), this);
    newerButton_->setObjectName(QStringLiteral("newerButton"));
    olderButton_ = new QPushButton(QStringLiteral("Older >"), this);
    olderButton_->setObjectName(QStringLiteral("olderButton"));
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));

    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(QStringLiteral("Words"), this), 0, 0);
    filters->addWidget(wordsEdit_, 0, 1, 1, 3);
    filters->addWidget(searchButton_, 0, 4);
    filters->addWidget(new QLabel(QStringLiteral("Room"), this), 1, 0);
    filters->addWidget(roomBox_, 1, 1);
    filters->addWidget(new QLabel(QStringLiteral("Nick"), this), 1, 2);
    filters->addWidget(nickEdit_, 1, 3);
    auto* dates = new QHBoxLayout;
    dates->addWidget(fromCheck_);
    dates->addWidget(fromDate_);
    dates->addWidget(toCheck_);
    dates->addWidget(toDate_);
    dates->addStretch(1);
    filters->addLayout(dates, 2, 1, 1, 3);
    auto* pages = new QHBoxLayout;
    pages->addWidget(statusLabel_, 1);
    pages->addWidget(newerButton_);
    pages->addWidget(olderButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(results_, 1);
    layout->addLayout(pages);

    connect(searchButton_, &QPushButton::clicked, this, &HistorySearchWindow::Search);
    connect(wordsEdit_, &QLineEdit::returnPressed, this, &HistorySearchWindow::Search);
    connect(nickEdit_, &QLineEdit::returnPressed, this, &HistorySearchWindow::Search);
    connect(olderButton_, &QPushButton::clicked, this, &HistorySearchWindow::OlderPage);
    connect(newerButton_, &QPushButton::clicked, this, &HistorySearchWindow::NewerPage);
    connect(results_, &QTreeWidget::itemActivated, this, &HistorySearchWindow::onItemActivated);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    newerButton_->setEnabled(false);
    olderButton_->setEnabled(false);
}

HistorySearchWindow::~HistorySearchWindow() = default;

void HistorySearchWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FillBuffers();
    wordsEdit_->setFocus();
}

bool HistorySearchWindow::OpenStore()
{
    if (store_ && store_->IsOpen()) return true;
    if (!QFileInfo::exists(path_)) {
        statusLabel_->setText(QStringLiteral("No history has been kept yet."));
        return false;
    }
    // A reader never waits for a writer in WAL mode; the short wait is for
    // the moments another program opens or checks the file.
    store_ = std::make_unique<HistoryStore>(path_, 500);
    if (store_->Open()) return true;
    statusLabel_->setText(QStringLiteral("The history cannot be read: ") + store_->LastError());
    return false;
}

void HistorySearchWindow::FillBuffers()
{
    const int chosen = roomBox_->currentIndex();
    const HistoryBuffer before = chosen > 0 ? buffers_.value(chosen - 1) : HistoryBuffer();
    buffers_ = OpenStore() ? store_->Buffers() : QList<HistoryBuffer>();
    roomBox_->clear();
    roomBox_->addItem(QStringLiteral("All rooms and conversations"));
    for (const HistoryBuffer& buffer : buffers_) roomBox_->addItem(HistoryBufferTitle(buffer));
    if (chosen > 0) roomBox_->setCurrentIndex(static_cast<int>(buffers_.indexOf(before)) + 1);
}

HistorySearch HistorySearchWindow::Query() const
{
    HistorySearch search;
    search.words = wordsEdit_->text();
    if (const int room = roomBox_->currentIndex(); room > 0 && room <= buffers_.size()) search.buffer = buffers_[room - 1];
    search.nick = QByteArray::fromStdString(ToWire(nickEdit_->text().trimmed()));
    if (fromCheck_->isChecked()) search.fromMs = fromDate_->date().startOfDay().toMSecsSinceEpoch();
    if (toCheck_->isChecked()) search.toMs = toDate_->date().addDays(1).startOfDay().toMSecsSinceEpoch() - 1;
    search.pageSize = kPageSize;
    return search;
}

void HistorySearchWindow::Search()
{
    shownQuery_ = Query();
    pageStarts_ = {0};
    ShowPage(0);
}

void HistorySearchWindow::OlderPage()
{
    if (hits_.size() < kPageSize) return;
    pageStarts_.append(hits_.last().line.id);
    ShowPage(pageStarts_.last());
}

void HistorySearchWindow::NewerPage()
{
    if (pageStarts_.size() < 2) return;
    pageStarts_.removeLast();
    ShowPage(pageStarts_.last());
}

void HistorySearchWindow::ShowPage(qint64 beforeId)
{
    results_->clear();
    hits_.clear();
    if (OpenStore()) {
        HistorySearch search = shownQuery_;
        search.beforeId = beforeId;
        hits_ = store_->Search(search);
    }
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < hits_.size(); ++i) {
        const HistoryHit& hit = hits_[i];
        auto* item = new QTreeWidgetItem;
        item->setText(kTimeColumn, QDateTime::fromMSecsSinceEpoch(hit.line.timeMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        item->setText(kRoomColumn, HistoryBufferTitle(hit.line.buffer));
        item->setText(kNickColumn, Shown(hit.line.nick));
        item->setText(kTextColumn, ShownText(hit.plainText));
        item->setData(kTextColumn, kMarkedRole, MarkedMatches(hit.plainText, hit.matches));
        item->setData(kTimeColumn, kHitRole, i);
        items.append(item);
    }
    results_->addTopLevelItems(items);
    const int page = static_cast<int>(pageStarts_.size());
    if (hits_.isEmpty())
        statusLabel_->setText(page > 1 ? QStringLiteral("No older lines.") : QStringLiteral("Nothing found."));
    else
        statusLabel_->setText(QStringLiteral("Page %1: %2 lines").arg(page).arg(hits_.size()));
    newerButton_->setEnabled(page > 1);
    olderButton_->setEnabled(hits_.size() >= kPageSize);
}

void HistorySearchWindow::onItemActivated(QTreeWidgetItem* item)
{
    const int i = item ? item->data(kTimeColumn, kHitRole).toInt() : -1;
    if (i < 0 || i >= hits_.size()) return;
    emit openRequested(hits_[i].line, hits_[i].plainText);
}
