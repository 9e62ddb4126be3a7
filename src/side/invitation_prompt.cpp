#include "side/invitation_prompt.h"

#include "common/chat_frame.h"
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

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font = Label1->font();
    font.setPixelSize(13);
    Label1->setFont(font);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);

    Button1 = new QPushButton(QStringLiteral("Accept"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Reject"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("Ignore User"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    // A prompt that pops up while the user types must not take the keys:
    // it shows without becoming the active window, and no button takes the
    // focus (Enter and the space bar press a focused one) until the user
    // clicks it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    for (QPushButton* b : {Button1, Button2, Button3}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::ClickFocus);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &InvitationPrompt::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &InvitationPrompt::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &InvitationPrompt::Button3Click);
    resize(kWidth, kHeight);
}

void InvitationPrompt::SetInvitation(const QString& inviter, const QString& channel)
{
    inviter_ = inviter;
    room_ = channel;
    room_.remove(u'#');
    const QFontMetrics metrics(Label1->font());
    const QString who = metrics.elidedText(ShownText(inviter_), Qt::ElideMiddle, kInviterWidth);
    const QString where = metrics.elidedText(ShownText(room_), Qt::ElideMiddle, kRoomWidth);
    Label1->setText(who + QStringLiteral(" is inviting you to ") + where +
                    QStringLiteral(". Do you want to accept this invitation ?"));
}

void InvitationPrompt::Button1Click()
{
    if (frame_ && !room_.isEmpty()) frame_->ShowRoom(room_);
    accept();
}

void InvitationPrompt::Button2Click() { reject(); }

void InvitationPrompt::Button3Click()
{
    if (frame_ && !frame_->IgnoreForGood(inviter_, this)) return;
    accept();
}

void InvitationPrompt::FormActivate() { resize(kWidth, kHeight); }

bool InvitationPrompt::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QDialog::event(event);
}
