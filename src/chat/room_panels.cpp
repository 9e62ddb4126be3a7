#include "chat/room_panels.h"

#include "common/line_breaks.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename Widget>
Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* BoldLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = Named(new QLabel(text, parent), name);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

// The panel's layout: a label, the field or list, and the buttons at the right.
void LayOut(QFrame* panel, QWidget* label, QWidget* body, std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* button : buttons) row->addWidget(button);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(label);
    layout->addWidget(body, 1);
    layout->addLayout(row);
}

}  // namespace

FloatingPanel::FloatingPanel(QWidget* over, Height height, const QString& name, QWidget* parent)
    : QFrame(parent), over_(over), height_(height)
{
    setObjectName(name);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    hide();
    over_->installEventFilter(this);
}

void FloatingPanel::Open()
{
    Place();
    show();
    raise();
}

bool FloatingPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == over_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        Place();
    return QFrame::eventFilter(watched, event);
}

void FloatingPanel::Place()
{
    const QRect chat = over_->geometry();
    const int width = qMax(160, qMin(chat.width() - 16, 380));
    const int height = height_ == Height::List ? qMax(120, qMin(chat.height() - 16, 260)) : sizeHint().height();
    setGeometry(chat.left() + 8, chat.top() + 8, width, height);
    raise();
}

KickReasonPanel::KickReasonPanel(QWidget* over, QWidget* parent)
    : FloatingPanel(over, Height::Own, QStringLiteral("kickReasonPanel"), parent)
{
    QLabel* label = BoldLabel(this, "kickReasonLabel", QStringLiteral("Why"));
    reasonLine_ = Named(new QLineEdit(this), "kickReasonLine");
    KeepOnOneLine(reasonLine_);
    auto* kick = Named(new QPushButton(QStringLiteral("Kick"), this), "kickButton");
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "kickCancelButton");
    LayOut(this, label, reasonLine_, {kick, cancel});

    connect(kick, &QPushButton::clicked, this, &KickReasonPanel::KickRequested);
    connect(reasonLine_, &QLineEdit::returnPressed, this, &KickReasonPanel::KickRequested);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

QString KickReasonPanel::Reason() const { return reasonLine_->text(); }

void KickReasonPanel::OpenForReason()
{
    Open();
    reasonLine_->setFocus();
}

BanListPanel::BanListPanel(QWidget* over, QWidget* parent)
    : FloatingPanel(over, Height::List, QStringLiteral("banListPanel"), parent)
{
    QLabel* label = BoldLabel(this, "banListLabel", QStringLiteral("Baned Nicks for this room"));
    bannedList_ = Named(new QListWidget(this), "bannedList");
    bannedList_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* remove = Named(new QPushButton(QStringLiteral("Remove Ban"), this), "removeBanButton");
    auto* ok = Named(new QPushButton(QStringLiteral("Ok"), this), "banListOkButton");
    LayOut(this, label, bannedList_, {remove, ok});
    connect(remove, &QPushButton::clicked, this, &BanListPanel::RemoveBanRequested);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
}

void BanListPanel::OpenWith(const QStringList& nicks)
{
    bannedList_->clear();
    Open();
    bannedList_->addItems(nicks);
}

QString BanListPanel::SelectedNick() const
{
    const QListWidgetItem* selected = bannedList_->currentItem();
    return selected && selected->isSelected() ? selected->text() : QString();
}

void BanListPanel::DropSelected()
{
    QListWidgetItem* selected = bannedList_->currentItem();
    if (selected && selected->isSelected())
        delete selected;
}

InvitePanel::InvitePanel(QWidget* over, QWidget* parent)
    : FloatingPanel(over, Height::List, QStringLiteral("invitePanel"), parent)
{
    QLabel* label = BoldLabel(this, "inviteLabel", QStringLiteral("Invite Buddies to this room"));
    buddyList_ = Named(new QListWidget(this), "buddyList");
    buddyList_->setSelectionMode(QAbstractItemView::MultiSelection);
    auto* invite = Named(new QPushButton(QStringLiteral("Invite"), this), "inviteBuddiesButton");
    LayOut(this, label, buddyList_, {invite});
    connect(invite, &QPushButton::clicked, this, &InvitePanel::InviteRequested);
}

void InvitePanel::OpenWith(const QStringList& buddies)
{
    buddyList_->clear();
    Open();
    buddyList_->addItems(buddies);
}

QStringList InvitePanel::TakeChosen()
{
    QStringList chosen;
    for (int i = 0; i < buddyList_->count(); ++i)
        if (buddyList_->item(i)->isSelected())
            chosen << buddyList_->item(i)->text();
    buddyList_->clear();
    return chosen;
}
