#pragma once
// The room list window: the server's rooms above, the program's server log below.
#include <QWidget>

class QPlainTextEdit;

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // The server log; read-only, never cleared.
    QPlainTextEdit* log = nullptr;
    void AppendLogLine(const QString& line);
};
