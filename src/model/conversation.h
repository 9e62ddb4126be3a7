#pragma once
// One private conversation as data: the partner, who may rename.

#include "model/chat_line.h"

#include <QObject>
#include <QString>

// The conversation: the handlers follow the partner's renames and quits and
// add its lines; the private window observes it.
class Conversation : public QObject {
    Q_OBJECT

public:
    explicit Conversation(QString partner, QObject* parent = nullptr);

    const QString& Partner() const { return partner_; }
    // The partner took another nick: the conversation follows it.
    void FollowRename(const QString& newNick);
    // False once the partner left the server, until a line from them comes.
    bool PartnerPresent() const { return present_; }
    void SetPartnerPresent(bool present);

    void AppendLine(const ChatLine& line) { emit LineAdded(line); }

signals:
    void PartnerRenamed(const QString& oldNick, const QString& newNick);
    void PartnerPresenceChanged(bool present);
    void LineAdded(const ChatLine& line);

private:
    QString partner_;
    bool present_ = true;
};
