// The frame's history installed: the keeper of the lines, the menu entries
// that reach it, its page in the options dialog, its notices in the server log.
#include "shell/main_window.h"

#include "shell/child_windows.h"
#include "shell/history_keeper.h"
#include "shell/history_menus.h"
#include "shell/history_options_page.h"
#include "shell/options_dialog.h"
#include "side/room_list_window.h"


void MainWindow::InstallHistory()
{
    history_ = new HistoryKeeper(*this);
    history_->setParent(this);
    windows_->opened = [this](QWidget* window) { history_->ShowKeptLines(window); };
    historyMenus_ = new HistoryMenus(*this, *history_, chatMenu_, optionsAction_);
    // Straight into the log: a note about the history is not itself kept.
    connect(history_, &HistoryKeeper::notice, roomList_, &RoomListWindow::AppendLogLine);
    lists_->extendOptions = [this](OptionsDialog& dialog) {
        dialog.AddPage(new HistoryOptionsPage(*history_), QStringLiteral("History"));
    };
}
