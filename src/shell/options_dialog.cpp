#include "shell/options_dialog.h"

#include "common/list_writes.h"

#include "common/prompts.h"
#include "shell/fixed_dialog.h"

#include "transcript/time_stamps.h"

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

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    favoritesPage_ = MakePage(QStringLiteral("favoritesPage"), &favoritesList_, QStringLiteral("favoritesList"), &removeFavoriteButton_,
                         QStringLiteral("removeFavoriteButton"), &favoritesOkButton_, QStringLiteral("favoritesOkButton"));
    buddiesPage_ = MakePage(QStringLiteral("buddiesPage"), &buddiesList_, QStringLiteral("buddiesList"), &removeBuddyButton_,
                         QStringLiteral("removeBuddyButton"), &buddiesOkButton_, QStringLiteral("buddiesOkButton"));
    ignorePage_ = MakePage(QStringLiteral("ignorePage"), &ignoreList_, QStringLiteral("ignoreList"), &removeIgnoredButton_,
                         QStringLiteral("removeIgnoredButton"), &ignoreOkButton_, QStringLiteral("ignoreOkButton"));
    pages_->addTab(favoritesPage_, QStringLiteral("Favorites"));
    pages_->addTab(buddiesPage_, QStringLiteral("Buddies"));
    pages_->addTab(ignorePage_, QStringLiteral("Ignore List"));
    pages_->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(pages_);
    layout->addLayout(MakeTimeStampsRow());

    connect(pages_, &QTabWidget::currentChanged, this, &OptionsDialog::onPageChanged);
    connect(removeFavoriteButton_, &QPushButton::clicked, this, &OptionsDialog::onRemoveFavoriteClicked);
    connect(removeBuddyButton_, &QPushButton::clicked, this, &OptionsDialog::onRemoveBuddyClicked);
    connect(removeIgnoredButton_, &QPushButton::clicked, this, &OptionsDialog::onRemoveIgnoredClicked);
    connect(favoritesOkButton_, &QPushButton::clicked, this, &OptionsDialog::onFavoritesOkClicked);
    connect(buddiesOkButton_, &QPushButton::clicked, this, &OptionsDialog::onBuddiesOkClicked);
    connect(ignoreOkButton_, &QPushButton::clicked, this, &OptionsDialog::onIgnoreOkClicked);
}

QLayout* OptionsDialog::MakeTimeStampsRow()
{
    // The transcripts' time stamps, for every window at once, kept between runs.
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Time stamps:"));
    timeStampsBox_ = new QComboBox;
    timeStampsBox_->setObjectName(QStringLiteral("timeStampsBox"));
    timeStampsBox_->addItem(QStringLiteral("Off"), int(TimeStampFormat::Off));
    timeStampsBox_->addItem(QStringLiteral("HH:MM"), int(TimeStampFormat::Minutes));
    timeStampsBox_->addItem(QStringLiteral("HH:MM:SS"), int(TimeStampFormat::Seconds));
    timeStampsBox_->setCurrentIndex(timeStampsBox_->findData(int(TimeStampSetting::Instance().Format())));
    label->setBuddy(timeStampsBox_);
    row->addWidget(label);
    row->addWidget(timeStampsBox_, 1);
    connect(timeStampsBox_, &QComboBox::activated, this, [this](int index) {
        TimeStampSetting::Instance().SetFormat(TimeStampFormat(timeStampsBox_->itemData(index).toInt()));
    });
    return row;
}

void OptionsDialog::AddPage(QWidget* page, const QString& title) { pages_->addTab(page, title); }

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
    if (!event->spontaneous()) FillFirstPage();
}

void OptionsDialog::FillFirstPage() { FillListBox(favoritesList_, AccountList::Favorites); }

void OptionsDialog::onPageChanged(int index)
{
    switch (index) {
    case 0: FillListBox(favoritesList_, AccountList::Favorites); break;
    case 1: FillListBox(buddiesList_, AccountList::Buddies); break;
    case 2: FillListBox(ignoreList_, AccountList::Ignore); break;
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

void OptionsDialog::onRemoveFavoriteClicked() { RemoveSelected(favoritesList_, AccountList::Favorites); }
void OptionsDialog::onRemoveBuddyClicked() { RemoveSelected(buddiesList_, AccountList::Buddies); }
void OptionsDialog::onRemoveIgnoredClicked() { RemoveSelected(ignoreList_, AccountList::Ignore); }
void OptionsDialog::onFavoritesOkClicked() { accept(); }
void OptionsDialog::onBuddiesOkClicked() { accept(); }
void OptionsDialog::onIgnoreOkClicked() { accept(); }
