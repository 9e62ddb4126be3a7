#pragma once
// "Clear History...": all of it, or one room, conversation or server log.
#include "model/history_store.h"

#include <QDialog>

#include <optional>

class QComboBox;

class HistoryClearDialog : public QDialog {
    Q_OBJECT
public:
    // buffers: those that have lines, offered one by one after "All history".
    explicit HistoryClearDialog(QList<HistoryBuffer> buffers, QWidget* parent = nullptr);

    // The buffer chosen; none for all history.
    std::optional<HistoryBuffer> Chosen() const;
    // What the confirmation names: "all history" or the buffer.
    QString ChosenText() const;

    QComboBox* whatBox = nullptr;

private:
    QList<HistoryBuffer> buffers_;
};
