#include "chat/nick_list_view.h"

#include "chat/nick_icons.h"

#include <QHeaderView>

namespace {

constexpr int kNickColumn = 0;
constexpr int kHostColumn = 1;
constexpr int kIconRole = Qt::UserRole + 1;

// Sort order of the list: by nick ignoring case; nicks that differ only in
// case keep a fixed order among themselves.
int CompareNicks(const QString& a, const QString& b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded : QString::compare(a, b, Qt::CaseSensitive);
}

}  // namespace

NickListView::NickListView(QWidget* parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("nickList"));
    setColumnCount(2);
    hideColumn(kHostColumn);
    setHeaderHidden(true);
    header()->setSectionResizeMode(kNickColumn, QHeaderView::Stretch);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setIndentation(0);

    QFont listFont(QStringLiteral("Times New Roman"));
    listFont.setStyleHint(QFont::Serif);
    listFont.setPointSize(font().pointSize() > 0 ? font().pointSize() : 10);
    setFont(listFont);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, QColor(0x00, 0x00, 0x80));
    setPalette(colours);
}

int NickListView::LowerBound(const QString& text) const
{
    int low = 0;
    int high = topLevelItemCount();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (QString::compare(topLevelItem(mid)->text(kNickColumn), text, Qt::CaseInsensitive) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

int NickListView::InsertPosition(const QString& nick) const
{
    int low = 0;
    int high = topLevelItemCount();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (CompareNicks(topLevelItem(mid)->text(kNickColumn), nick) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

QTreeWidgetItem* NickListView::FindPrefix(const QString& text) const
{
    // Every nick that begins with text sorts at or after text, and those
    // nicks sit together; the first of them is where text would go.
    const int index = LowerBound(text);
    QTreeWidgetItem* entry = topLevelItem(index);
    return entry && entry->text(kNickColumn).startsWith(text, Qt::CaseInsensitive) ? entry : nullptr;
}

QTreeWidgetItem* NickListView::FindExact(const QString& text) const
{
    QTreeWidgetItem* entry = topLevelItem(LowerBound(text));
    return entry && QString::compare(entry->text(kNickColumn), text, Qt::CaseInsensitive) == 0 ? entry : nullptr;
}

QTreeWidgetItem* NickListView::AddEntry(const QString& nick, int icon, const QString& host)
{
    auto* entry = new QTreeWidgetItem;
    entry->setText(kNickColumn, nick);
    if (!host.isEmpty())
        entry->setText(kHostColumn, host);
    entry->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    SetIconNumber(entry, icon);
    insertTopLevelItem(InsertPosition(nick), entry);
    return entry;
}

void NickListView::RemoveEntry(QTreeWidgetItem* entry)
{
    if (!entry)
        return;
    // The entry's own nick finds its place faster than a scan of the list.
    const QString nick = entry->text(kNickColumn);
    int index = LowerBound(nick);
    while (index < topLevelItemCount() && topLevelItem(index) != entry)
        ++index;
    if (index >= topLevelItemCount())
        index = indexOfTopLevelItem(entry);
    // The view would select the next entry in its place: an action meant
    // for the one who left must not reach a neighbour.
    const bool wasSelected = entry->isSelected();
    delete takeTopLevelItem(index);
    if (wasSelected)
        clearSelection();
}

void NickListView::ClearEntries()
{
    clear();
}

QString NickListView::Nick(const QTreeWidgetItem* entry)
{
    return entry ? entry->text(kNickColumn) : QString();
}

QString NickListView::Host(const QTreeWidgetItem* entry)
{
    return entry ? entry->text(kHostColumn) : QString();
}

int NickListView::IconNumber(const QTreeWidgetItem* entry)
{
    return entry ? entry->data(kNickColumn, kIconRole).toInt() : 0;
}

void NickListView::SetIconNumber(QTreeWidgetItem* entry, int icon)
{
    if (!entry || IconNumber(entry) == icon)
        return;
    entry->setData(kNickColumn, kIconRole, icon);
    entry->setIcon(kNickColumn, NickIcon(icon));
}

QStringList NickListView::Nicks() const
{
    QStringList nicks;
    nicks.reserve(topLevelItemCount());
    for (int i = 0; i < topLevelItemCount(); ++i)
        nicks << topLevelItem(i)->text(kNickColumn);
    return nicks;
}

QTreeWidgetItem* NickListView::SelectedEntry() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QString NickListView::SelectedNick() const
{
    QString nick = Nick(SelectedEntry());
    if (nick.startsWith(u'@'))
        nick.remove(0, 1);
    return nick;
}
