#include "shell/options_dialog.h"

#include "common/list_writes.h"

#include "common/prompts.h"
#include "shell/fixed_dialog.h"

#include "chat/time_stamps.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Each line remembers the section it came from: a hand-edited section whose
// "Name" differs from its name (or is missing) can still be removed.
constexpr int kSectionRole = Qt::UserRole;

}  // namespace

OptionsDialog::OptionsDialog(QString folder, QWidget* parent) : QDialog(parent), folder_(std::move(folder))
{
    setObjectName(QStringLiteral("OptionsDialog"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(kFixedDialogFlags);
    setFixedSize(277, 375);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = MakePage(QStringLiteral("TabSheet1"), &favlist, QStringLiteral("favlist"), &Button1,
                         QStringLiteral("Button1"), &Button2, QStringLiteral("Button2"));
    TabSheet2 = MakePage(QStringLiteral("TabSheet2"), &buddieslist, QStringLiteral("buddieslist"), &Button4,
                         QStringLiteral("Button4"), &Button3, QStringLiteral("Button3"));
    TabSheet3 = MakePage(QStringLiteral("TabSheet3"), &ignorelist, QStringLiteral("ignorelist"), &Button6,
                         QStringLiteral("Button6"), &Button5, QStringLiteral("Button5"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Favorites"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Buddies"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Ignore List"));
    PageControl1->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl1);
    layout->addLayout(MakeTimeStampsRow());

    connect(PageControl1, &QTabWidget::currentChanged, this, &OptionsDialog::PageControl1Change);
    connect(Button1, &QPushButton::clicked, this, &OptionsDialog::Button1Click);
    connect(Button4, &QPushButton::clicked, this, &OptionsDialog::Button4Click);
    connect(Button6, &QPushButton::clicked, this, &OptionsDialog::Button6Click);
    connect(Button2, &QPushButton::clicked, this, &OptionsDialog::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &OptionsDialog::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &OptionsDialog::Button5Click);
}

QLayout* OptionsDialog::MakeTimeStampsRow()
{
    // The transcripts' time stamps, for every window at once, kept between runs.
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Time stamps:"));
    timeStampsBox = new QComboBox;
    timeStampsBox->setObjectName(QStringLiteral("timeStampsBox"));
    timeStampsBox->addItem(QStringLiteral("Off"), int(TimeStampFormat::Off));
    timeStampsBox->addItem(QStringLiteral("HH:MM"), int(TimeStampFormat::Minutes));
    timeStampsBox->addItem(QStringLiteral("HH:MM:SS"), int(TimeStampFormat::Seconds));
    timeStampsBox->setCurrentIndex(timeStampsBox->findData(int(TimeStampSetting::Instance().Format())));
    label->setBuddy(timeStampsBox);
    row->addWidget(label);
    row->addWidget(timeStampsBox, 1);
    connect(timeStampsBox, &QComboBox::activated, this, [this](int index) {
        TimeStampSetting::Instance().SetFormat(TimeStampFormat(timeStampsBox->itemData(index).toInt()));
    });
    return row;
}

QWidget* OptionsDialog::MakePage(const QString& name, QListWidget** list, const QString& listName, QPushButton** remove,
                           const QString& removeName, QPushButton** ok, const QString& okName)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    *list = new QListWidget(page);
    (*list)->setObjectName(listName);
    (*list)->setSelectionMode(QAbstractItemView::ExtendedSelection);
    (*list)->setUniformItemSizes(true);  // thousands of lines lay out at once
    *remove = new QPushButton(QStringLiteral("Remove"), page);
    (*remove)->setObjectName(removeName);
    *ok = new QPushButton(QStringLiteral("Ok"), page);
    (*ok)->setObjectName(okName);
    (*ok)->setAutoDefault(false);
    (*remove)->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(*remove);
    buttons->addStretch(1);
    buttons->addWidget(*ok);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(*list, 1);
    layout->addLayout(buttons);
    return page;
}

void OptionsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void OptionsDialog::FormShow() { FillListBox(favlist, AccountList::Favorites); }

void OptionsDialog::PageControl1Change(int index)
{
    switch (index) {
    case 0: FillListBox(favlist, AccountList::Favorites); break;
    case 1: FillListBox(buddieslist, AccountList::Buddies); break;
    case 2: FillListBox(ignorelist, AccountList::Ignore); break;
    default: break;
    }
}

void OptionsDialog::FillListBox(QListWidget* list, AccountList which)
{
    list->clear();
    const QList<ListEntry> entries = AccountListFile(folder_, which).Entries();
    for (const ListEntry& entry : entries) {
        auto* item = new QListWidgetItem(entry.name);
        item->setData(kSectionRole, entry.section);
        list->addItem(item);
    }
}

void OptionsDialog::RemoveSelected(QListWidget* list, AccountList which)
{
    QStringList sections;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected()) sections << list->item(row)->data(kSectionRole).toString();
    if (!sections.isEmpty()) EraseFromListOrTell(folder_, which, sections, this);
    FillListBox(list, which);
}

void OptionsDialog::Button1Click() { RemoveSelected(favlist, AccountList::Favorites); }
void OptionsDialog::Button4Click() { RemoveSelected(buddieslist, AccountList::Buddies); }
void OptionsDialog::Button6Click() { RemoveSelected(ignorelist, AccountList::Ignore); }
void OptionsDialog::Button2Click() { accept(); }
void OptionsDialog::Button3Click() { accept(); }
void OptionsDialog::Button5Click() { accept(); }
