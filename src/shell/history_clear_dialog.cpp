#include "shell/history_clear_dialog.h"

#include "model/history_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

HistoryClearDialog::HistoryClearDialog(QList<HistoryBuffer> buffers, QWidget* parent)
    : QDialog(parent), buffers_(std::move(buffers))
{
    setObjectName(QStringLiteral("historyClearDialog"));
    setWindowTitle(QStringLiteral("Clear History"));
    whatBox = new QComboBox(this);
    whatBox->setObjectName(QStringLiteral("whatBox"));
    whatBox->addItem(QStringLiteral("All history"));
    for (const HistoryBuffer& buffer : buffers_) whatBox->addItem(HistoryBufferTitle(buffer));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Clear"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Delete the kept lines of:"), this));
    layout->addWidget(whatBox);
    layout->addWidget(buttons);
}

std::optional<HistoryBuffer> HistoryClearDialog::Chosen() const
{
    const int i = whatBox->currentIndex();
    if (i <= 0 || i > buffers_.size()) return std::nullopt;
    return buffers_[i - 1];
}

QString HistoryClearDialog::ChosenText() const
{
    const auto chosen = Chosen();
    return chosen ? HistoryBufferTitle(*chosen) : QStringLiteral("all history");
}
