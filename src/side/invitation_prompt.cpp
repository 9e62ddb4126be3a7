#include "side/invitation_prompt.h"

#include "model/chat_frame.h"
#include "common/shown_text.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The widest a nick or room may show in the question, in pixels: a name
// sent at full line length still leaves the question readable.
constexpr int kInviterWidth = 160;
constexpr int kRoomWidth = 260;

}  // namespace

InvitationPrompt::InvitationPrompt(ChatFrame* frame, QWidget* parent) : QDialog(parent), frame_(frame)
{
    setObjectName(QStringLiteral("InvitationPrompt"));
    setWindowTitle(QStringLiteral("Invitation"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setModal(false);
    // Every way of closing it (a button, Escape, the close box) ends here.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);

    questionLabel_ = new QLabel(this);
    questionLabel_->setObjectName(QStringLiteral("questionLabel"));
    QFont font = questionLabel_->font();
    font.setPixelSize(13);
    questionLabel_->setFont(font);
    questionLabel_->setWordWrap(true);
    questionLabel_->setTextFormat(Qt::PlainText);

    acceptButton_ = new QPushButton(QStringLiteral("Accept"), this);
    acceptButton_->setObjectName(QStringLiteral("acceptButton"));
    rejectButton_ = new QPushButton(QStringLiteral("Reject"), this);
    rejectButton_->setObjectName(QStringLiteral("rejectButton"));
    ignoreButton_ = new QPushButton(QStringLiteral("Ignore User"), this);
    ignoreButton_->setObjectName(QStringLiteral("ignoreButton"));
    // A prompt that pops up while the user types must not take the keys:
    // it shows without becoming the active window, and no button takes the
    // focus (Enter and the space bar press a focused one) until the user
    // clicks it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    for (QPushButton* b : {acceptButton_, rejectButton_, ignoreButton_}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::ClickFocus);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(acceptButton_);
    buttons->addWidget(rejectButton_);
    buttons->addWidget(ignoreButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(questionLabel_, 1);
    layout->addLayout(buttons);

    connect(acceptButton_, &QPushButton::clicked, this, &InvitationPrompt::onAcceptClicked);
    connect(rejectButton_, &QPushButton::clicked, this, &InvitationPrompt::onRejectClicked);
    connect(ignoreButton_, &QPushButton::clicked, this, &InvitationPrompt::onIgnoreClicked);
    resize(kWidth, kHeight);
}

void InvitationPrompt::SetInvitation(const QString& inviter, const QString& channel)
{
    inviter_ = inviter;
    room_ = channel;
    room_.remove(u'#');
    const QFontMetrics metrics(questionLabel_->font());
    const QString who = metrics.elidedText(ShownText(inviter_), Qt::ElideMiddle, kInviterWidth);
    const QString where = metrics.elidedText(ShownText(room_), Qt::ElideMiddle, kRoomWidth);
    questionLabel_->setText(who + QStringLiteral(" is inviting you to ") + where +
                    QStringLiteral(". Do you want to accept this invitation ?"));
}

void InvitationPrompt::onAcceptClicked()
{
    if (frame_ && !room_.isEmpty()) frame_->ShowRoom(room_);
    accept();
}

void InvitationPrompt::onRejectClicked() { reject(); }

void InvitationPrompt::onIgnoreClicked()
{
    if (frame_ && !frame_->IgnoreForGood(inviter_, this)) return;
    accept();
}

void InvitationPrompt::onActivated() { resize(kWidth, kHeight); }

bool InvitationPrompt::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) onActivated();
    return QDialog::event(event);
}
