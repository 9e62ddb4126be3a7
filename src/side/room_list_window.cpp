#include "side/room_list_window.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm4::TForm4(QWidget* parent) : QWidget(parent)
{
    setObjectName("TForm4");
    setWindowTitle("Select a room from below list");
    log = new QPlainTextEdit(this);
    log->setObjectName("log");
    log->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(log);
}

void TForm4::AppendLogLine(const QString& line) { log->appendPlainText(line); }
