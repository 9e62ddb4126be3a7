#pragma once
// The options dialog: the account's favourite rooms, buddies and ignored
// nicks, each on a page of its own, where entries can be removed.
#include "common/account_lists.h"

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;
class QTabWidget;

// The options dialog with the user's three lists. Changes go straight to the
// list files; the frame reads them again once the dialog has closed.
class OptionsDialog : public QDialog {
    Q_OBJECT

public:
    // folder: the account's user data folder, where the list files are.
    explicit OptionsDialog(QString folder, QWidget* parent = nullptr);

    QTabWidget* pages_ = nullptr;
    QWidget* favoritesPage_ = nullptr;  // "Favorites"
    QWidget* buddiesPage_ = nullptr;  // "Buddies"
    QWidget* ignorePage_ = nullptr;  // "Ignore List"
    QListWidget* favoritesList_ = nullptr;
    QListWidget* buddiesList_ = nullptr;
    QListWidget* ignoreList_ = nullptr;
    QPushButton* removeFavoriteButton_ = nullptr;  // Favorites: Remove
    QPushButton* favoritesOkButton_ = nullptr;  // Favorites: Ok
    QPushButton* removeBuddyButton_ = nullptr;  // Buddies: Remove
    QPushButton* buddiesOkButton_ = nullptr;  // Buddies: Ok
    QPushButton* removeIgnoredButton_ = nullptr;  // Ignore List: Remove
    QPushButton* ignoreOkButton_ = nullptr;  // Ignore List: Ok

    void FillFirstPage();
    // The page index has just become active: its list is read from its file.
    void onPageChanged(int index);
    void onRemoveFavoriteClicked();
    void onRemoveBuddyClicked();
    void onRemoveIgnoredClicked();
    void onFavoritesOkClicked();
    void onBuddiesOkClicked();
    void onIgnoreOkClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* MakePage(const QString& name, QListWidget** list, const QString& listName, QPushButton** remove,
                      const QString& removeName, QPushButton** ok, const QString& okName);
    // Empties list and fills it with the "Name" of every entry of the file,
    // in file order; each line keeps the name of its section.
    void FillListBox(QListWidget* list, AccountList which);
    // Erases the sections of the selected lines, first to last, in one
    // write; then fills the list again from the file.
    void RemoveSelected(QListWidget* list, AccountList which);

    QString folder_;
};
