#pragma once
// The options dialog's History page: "Keep history", how long lines are
// kept, and "Clear History...".
#include <QWidget>

class HistoryKeeper;
class QCheckBox;
class QPushButton;
class QSpinBox;

class HistoryOptionsPage : public QWidget {
    Q_OBJECT
public:
    HistoryOptionsPage(HistoryKeeper& keeper, QWidget* parent = nullptr);

    // "Clear History...": what to clear, a confirmation, then the lines
    // deleted on a thread of their own and the user told how it went.
    void ClearHistory();

    QCheckBox* keepCheck = nullptr;
    QSpinBox* daysSpin = nullptr;  // 0: forever
    QPushButton* clearButton = nullptr;

private:
    HistoryKeeper& keeper_;
};
