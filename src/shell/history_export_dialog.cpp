#include "shell/history_export_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

HistoryExportDialog::HistoryExportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("historyExportDialog"));
    setWindowTitle(QStringLiteral("Export History"));
    fromCheck = new QCheckBox(QStringLiteral("From"), this);
    fromCheck->setObjectName(QStringLiteral("fromCheck"));
    fromDate = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    fromDate->setObjectName(QStringLiteral("fromDate"));
    toCheck = new QCheckBox(QStringLiteral("To"), this);
    toCheck->setObjectName(QStringLiteral("toCheck"));
    toDate = new QDateEdit(QDate::currentDate(), this);
    toDate->setObjectName(QStringLiteral("toDate"));
    for (QDateEdit* date : {fromDate, toDate}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setEnabled(false);
    }
    connect(fromCheck, &QCheckBox::toggled, fromDate, &QWidget::setEnabled);
    connect(toCheck, &QCheckBox::toggled, toDate, &QWidget::setEnabled);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Export..."));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("One plain-text log per room, conversation and server log.\n"
                                                "Without a date, from the first line or to the last."),
                                 this),
                      0, 0, 1, 2);
    layout->addWidget(fromCheck, 1, 0);
    layout->addWidget(fromDate, 1, 1);
    layout->addWidget(toCheck, 2, 0);
    layout->addWidget(toDate, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);
}

qint64 HistoryExportDialog::FromMs() const
{
    return fromCheck->isChecked() ? fromDate->date().startOfDay().toMSecsSinceEpoch()
                                  : std::numeric_limits<qint64>::min();
}

qint64 HistoryExportDialog::ToMs() const
{
    return toCheck->isChecked() ? toDate->date().addDays(1).startOfDay().toMSecsSinceEpoch() - 1
                                : std::numeric_limits<qint64>::max();
}
