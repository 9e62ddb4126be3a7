#pragma once
// The status bar's word on staying connected: the lines waiting for their
// turn, the lag of the link or the countdown to the next reconnect try, and
// the "Reconnect now" and "Stop" actions while a try is counted down.
#include <QString>
#include <QWidget>

class QLabel;
class QToolButton;

class ConnectionStatus : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionStatus(QWidget* parent = nullptr);

    // "12 lines waiting"; nothing for none.
    static QString WaitingText(int lines);
    void ShowWaiting(int lines);
    // The link's text (lag or countdown); waiting: the actions show.
    void ShowLink(const QString& text, bool waiting);

    QString WaitingShown() const;
    QString LinkShown() const;

signals:
    void ReconnectNowClicked();
    void StopClicked();

private:
    QLabel* waiting_;
    QLabel* link_;
    QToolButton* reconnectNow_;
    QToolButton* stop_;
};
