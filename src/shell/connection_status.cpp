#include "shell/connection_status.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

ConnectionStatus::ConnectionStatus(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("connectionStatus"));
    waiting_ = new QLabel(this);
    waiting_->setObjectName(QStringLiteral("waitingLinesLabel"));
    link_ = new QLabel(this);
    link_->setObjectName(QStringLiteral("linkLabel"));
    reconnectNow_ = new QToolButton(this);
    reconnectNow_->setObjectName(QStringLiteral("reconnectNowButton"));
    reconnectNow_->setText(QStringLiteral("Reconnect now"));
    reconnectNow_->setAutoRaise(true);
    stop_ = new QToolButton(this);
    stop_->setObjectName(QStringLiteral("stopReconnectButton"));
    stop_->setText(QStringLiteral("Stop"));
    stop_->setAutoRaise(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    for (QWidget* w : std::initializer_list<QWidget*>{waiting_, link_, reconnectNow_, stop_}) {
        row->addWidget(w);
        w->hide();
    }
    connect(reconnectNow_, &QToolButton::clicked, this, &ConnectionStatus::ReconnectNowClicked);
    connect(stop_, &QToolButton::clicked, this, &ConnectionStatus::StopClicked);
}

QString ConnectionStatus::WaitingText(int lines)
{
    if (lines <= 0) return {};
    return lines == 1 ? QStringLiteral("1 line waiting") : QStringLiteral("%1 lines waiting").arg(lines);
}

void ConnectionStatus::ShowWaiting(int lines)
{
    waiting_->setText(WaitingText(lines));
    waiting_->setVisible(lines > 0);
}

void ConnectionStatus::ShowLink(const QString& text, bool waiting)
{
    link_->setText(text);
    link_->setVisible(!text.isEmpty());
    reconnectNow_->setVisible(waiting);
    stop_->setVisible(waiting);
}

QString ConnectionStatus::WaitingShown() const { return waiting_->isVisibleTo(this) ? waiting_->text() : QString(); }
QString ConnectionStatus::LinkShown() const { return link_->isVisibleTo(this) ? link_->text() : QString(); }
