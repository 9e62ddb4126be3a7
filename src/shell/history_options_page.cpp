#include "shell/history_options_page.h"

#include "common/prompts.h"
#include "shell/history_clear_dialog.h"
#include "shell/history_keeper.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPointer>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

HistoryOptionsPage::HistoryOptionsPage(HistoryKeeper& keeper, QWidget* parent) : QWidget(parent), keeper_(keeper)
{
    setObjectName(QStringLiteral("historyPage"));
    keepCheck = new QCheckBox(QStringLiteral("Keep history"), this);
    keepCheck->setObjectName(QStringLiteral("keepHistoryCheck"));
    keepCheck->setChecked(keeper.Keeping());
    daysSpin = new QSpinBox(this);
    daysSpin->setObjectName(QStringLiteral("keepDaysSpin"));
    daysSpin->setRange(0, 36500);
    daysSpin->setSpecialValueText(QStringLiteral("forever"));
    daysSpin->setSuffix(QStringLiteral(" days"));
    daysSpin->setValue(keeper.KeepDays());
    daysSpin->setEnabled(keeper.Keeping());
    clearButton = new QPushButton(QStringLiteral("Clear History..."), this);
    clearButton->setObjectName(QStringLiteral("clearHistoryButton"));
    clearButton->setAutoDefault(false);

    auto* days = new QFormLayout;
    days->addRow(QStringLiteral("Keep lines"), daysSpin);
    auto* note = new QLabel(QStringLiteral("Older lines are deleted when Talvessa starts."), this);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(keepCheck);
    layout->addLayout(days);
    layout->addWidget(note);
    layout->addStretch(1);
    layout->addWidget(clearButton, 0, Qt::AlignLeft);

    connect(keepCheck, &QCheckBox::toggled, this, [this](bool on) {
        keeper_.SetKeeping(on);
        daysSpin->setEnabled(on);
    });
    connect(daysSpin, &QSpinBox::valueChanged, this, [this](int value) { keeper_.SetKeepDays(value); });
    connect(clearButton, &QPushButton::clicked, this, &HistoryOptionsPage::ClearHistory);
}

void HistoryOptionsPage::ClearHistory()
{
    // The choice lists what the file holds now; lines on their way are written first.
    keeper_.Flush(2000);
    QList<HistoryBuffer> buffers;
    {
        HistoryStore store(keeper_.Path(), 500);
        if (QFileInfo::exists(keeper_.Path()) && store.Open()) buffers = store.Buffers();
    }
    HistoryClearDialog choice(buffers, this);
    if (choice.exec() != QDialog::Accepted) return;
    if (!prompts().Confirm(this, QStringLiteral("Clear History"),
                           QStringLiteral("Delete every kept line of %1? This cannot be undone.").arg(choice.ChosenText())))
        return;
    const std::optional<HistoryBuffer> buffer = choice.Chosen();
    QPointer<QWidget> asker(window());
    keeper_.RunTask(
        [buffer](HistoryStore& store) {
            const bool done = buffer ? store.ClearBuffer(*buffer) : store.ClearAll();
            return done ? QString() : QStringLiteral("The history could not be cleared: ") + store.LastError();
        },
        [asker](const QString& error) {
            if (!error.isEmpty()) prompts().Error(asker, error);
        });
}
