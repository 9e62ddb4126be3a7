#pragma once
// The options dialog: the account's favourite rooms, buddies and ignored
// nicks, each on a page of its own, where entries can be removed.
#include "common/account_lists.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLayout;
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

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;  // "Favorites"
    QWidget* TabSheet2 = nullptr;  // "Buddies"
    QWidget* TabSheet3 = nullptr;  // "Ignore List"
    QListWidget* favlist = nullptr;
    QListWidget* buddieslist = nullptr;
    QListWidget* ignorelist = nullptr;
    QPushButton* Button1 = nullptr;  // Favorites: Remove
    QPushButton* Button2 = nullptr;  // Favorites: Ok
    QPushButton* Button4 = nullptr;  // Buddies: Remove
    QPushButton* Button3 = nullptr;  // Buddies: Ok
    QPushButton* Button6 = nullptr;  // Ignore List: Remove
    QPushButton* Button5 = nullptr;  // Ignore List: Ok
    QComboBox* timeStampsBox = nullptr;  // the transcripts' time stamps

    void FormShow();
    // The page index has just become active: its list is read from its file.
    void PageControl1Change(int index);
    void Button1Click();
    void Button4Click();
    void Button6Click();
    void Button2Click();
    void Button3Click();
    void Button5Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLayout* MakeTimeStampsRow();
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
