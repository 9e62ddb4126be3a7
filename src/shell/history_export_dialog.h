#pragma once
// "Export History...": the range of days whose lines are written out.
#include <QDialog>

#include <limits>

class QCheckBox;
class QDateEdit;

class HistoryExportDialog : public QDialog {
    Q_OBJECT
public:
    explicit HistoryExportDialog(QWidget* parent = nullptr);

    // The range chosen, in ms since the epoch, both ends included: from the
    // first line, or the start of the "From" day; to the last line, or the
    // end of the "To" day.
    qint64 FromMs() const;
    qint64 ToMs() const;

    QCheckBox* fromCheck = nullptr;
    QDateEdit* fromDate = nullptr;
    QCheckBox* toCheck = nullptr;
    QDateEdit* toDate = nullptr;
};
