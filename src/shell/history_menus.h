#pragma once
// Where the user reaches the history: the frame's "Search History..." (also
// Ctrl+Shift+F) and "Export History..." entries, each chat window's "Don't
// keep history for this window" entry in its window menu, and a found line's
// window opened with the line shown in place.
#include "model/history_store.h"

#include <QObject>
#include <QPointer>

class HistoryKeeper;
class HistorySearchWindow;
class MainWindow;
class QAction;
class QMdiSubWindow;
class QMenu;

class HistoryMenus : public QObject {
    Q_OBJECT
public:
    // The entries go into menu, before the entry before.
    HistoryMenus(MainWindow& frame, HistoryKeeper& keeper, QMenu* menu, QAction* before);

    // The search window, made on first use, in front.
    HistorySearchWindow* ShowSearch();
    // "Export History...": the range, the folder, then the logs written on a thread of their own.
    void ExportHistory();
    // The window of line opened (or brought to the front) and the line selected there when its transcript has it.
    void OpenLine(const HistoryLine& line, const QString& plainText);
    // The window entry of sub's chat window; null for another window.
    QAction* LeftOutEntry(QMdiSubWindow* sub);

private:
    void PrepareLeftOutEntry(QAction* entry, QWidget* window);

    MainWindow& frame_;
    HistoryKeeper& keeper_;
    QPointer<HistorySearchWindow> search_;
};
