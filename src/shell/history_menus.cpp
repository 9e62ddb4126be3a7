#include "shell/history_menus.h"

#include "chat/history_lines.h"
#include "transcript/transcript_view.h"
#include "common/prompts.h"
#include "common/wire_text.h"
#include "shell/history_export_dialog.h"
#include "shell/history_keeper.h"
#include "shell/main_window.h"
#include "side/history_search_window.h"
#include "side/room_list_window.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTextDocument>

namespace {

const char* const kLeftOutEntryName = "keepNoHistoryItem";

// Selects the last place in view where text stands, and scrolls it into sight.
bool SelectLine(TranscriptView& view, const QString& text)
{
    if (text.trimmed().isEmpty()) return false;
    const qsizetype found = view.toPlainText().lastIndexOf(text);
    if (found < 0) return false;
    view.ShowMatch(int(found), int(text.size()));
    return true;
}

}  // namespace

HistoryMenus::HistoryMenus(MainWindow& frame, HistoryKeeper& keeper, QMenu* menu, QAction* before)
    : QObject(&frame), frame_(frame), keeper_(keeper)
{
    auto* search = new QAction(QStringLiteral("Search History..."), &frame);
    search->setObjectName(QStringLiteral("searchHistoryItem"));
    search->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    search->setShortcutContext(Qt::ApplicationShortcut);
    search->setStatusTip(QStringLiteral("Search every line kept in the history"));
    auto* exportItem = new QAction(QStringLiteral("Export History..."), &frame);
    exportItem->setObjectName(QStringLiteral("exportHistoryItem"));
    exportItem->setStatusTip(QStringLiteral("Write the history out as plain-text logs"));
    // Before Options, with their own separator.
    menu->insertAction(before, search);
    menu->insertAction(before, exportItem);
    menu->insertSeparator(before);
    connect(search, &QAction::triggered, this, [this] { ShowSearch(); });
    connect(exportItem, &QAction::triggered, this, &HistoryMenus::ExportHistory);
    // Each chat window's menu gets its entry the first time the window is active.
    connect(frame.MdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) { LeftOutEntry(sub); });
}

HistorySearchWindow* HistoryMenus::ShowSearch()
{
    if (!search_) {
        search_ = new HistorySearchWindow(keeper_.Path(), &frame_);
        connect(search_, &HistorySearchWindow::openRequested, this, &HistoryMenus::OpenLine);
    }
    search_->show();
    search_->raise();
    search_->activateWindow();
    return search_;
}

void HistoryMenus::ExportHistory()
{
    HistoryExportDialog range(&frame_);
    if (range.exec() != QDialog::Accepted) return;
    const QString folder = prompts().FolderName(&frame_, QStringLiteral("Export History to"), QDir::homePath());
    if (folder.isEmpty()) return;
    const qint64 from = range.FromMs();
    const qint64 to = range.ToMs();
    keeper_.Flush(2000);
    keeper_.RunTask(
        [from, to, folder](HistoryStore& store) {
            const QStringList files = store.ExportAll(from, to, folder);
            return files.isEmpty() ? QStringLiteral("No lines were kept in that range: nothing was exported.")
                                   : QStringLiteral("%1 logs were written to %2.").arg(files.size()).arg(QDir::toNativeSeparators(folder));
        },
        [this](const QString& result) { prompts().Information(&frame_, result); });
}

void HistoryMenus::OpenLine(const HistoryLine& line, const QString& plainText)
{
    const QString name = FromWire(line.buffer.name.toStdString());
    TranscriptView* transcript = nullptr;
    if (name.isEmpty()) {
        frame_.BringToFront(frame_.RoomListPane());
        return;
    }
    if (name.startsWith(u'#')) {
        // The room windows name their room without its "#".
        auto* room = qobject_cast<RoomWindow*>(frame_.ShowRoom(name.mid(1), line.buffer.name.mid(1).toStdString()));
        if (room) transcript = &room->Transcript();
    } else if (PrivateWindow* conversation = frame_.OpenPrivateWindowFromUser(name)) {
        transcript = &conversation->Transcript();
    }
    if (transcript) SelectLine(*transcript, plainText);
}

QAction* HistoryMenus::LeftOutEntry(QMdiSubWindow* sub)
{
    if (!sub || !sub->systemMenu()) return nullptr;
    QWidget* window = sub->widget();
    if (!qobject_cast<RoomWindow*>(window) && !qobject_cast<PrivateWindow*>(window)) return nullptr;
    if (auto* made = sub->systemMenu()->findChild<QAction*>(QLatin1String(kLeftOutEntryName))) return made;
    auto* entry = new QAction(QStringLiteral("Don't keep history for this window"), sub->systemMenu());
    entry->setObjectName(QLatin1String(kLeftOutEntryName));
    entry->setCheckable(true);
    sub->systemMenu()->addSeparator();
    sub->systemMenu()->addAction(entry);
    // A room window may change its room: the entry is read again each time the menu opens.
    connect(sub->systemMenu(), &QMenu::aboutToShow, entry, [this, entry, window] { PrepareLeftOutEntry(entry, window); });
    connect(entry, &QAction::triggered, this, [this, window](bool leftOut) {
        const auto name = HistoryNameOf(window);
        if (name && !keeper_.LastNetwork().isEmpty()) keeper_.SetLeftOut(HistoryBuffer{keeper_.LastNetwork(), *name}, leftOut);
    });
    PrepareLeftOutEntry(entry, window);
    return entry;
}

void HistoryMenus::PrepareLeftOutEntry(QAction* entry, QWidget* window)
{
    const auto name = HistoryNameOf(window);
    const bool known = name && !keeper_.LastNetwork().isEmpty();
    entry->setEnabled(known);
    entry->setChecked(known && keeper_.IsLeftOut(HistoryBuffer{keeper_.LastNetwork(), *name}));
}
