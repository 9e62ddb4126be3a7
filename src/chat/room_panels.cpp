#include "chat/room_panels.h"

#include "common/line_breaks.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

void LookLikeAPanel(QFrame* panel, const char* name)
{
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->hide();
}

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

KickReasonPanel::KickReasonPanel(QWidget* parent)
    : QFrame(parent)
{
    LookLikeAPanel(this, "Panel4");
    Label2 = BoldLabel(this, "Label2", QStringLiteral("Why"));
    Edit3 = Named(new QLineEdit(this), "Edit3");
    KeepOnOneLine(Edit3);
    Button3 = Named(new QPushButton(QStringLiteral("Kick"), this), "Button3");
    Button4 = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button4");
    LayOut(this, Label2, Edit3, {Button3, Button4});

    connect(Button3, &QPushButton::clicked, this, &KickReasonPanel::KickRequested);
    connect(Edit3, &QLineEdit::returnPressed, this, &KickReasonPanel::KickRequested);
    connect(Button4, &QPushButton::clicked, this, &QWidget::hide);
}

void KickReasonPanel::Open()
{
    show();
    raise();
    Edit3->setFocus();
}

BanListPanel::BanListPanel(QWidget* parent)
    : QFrame(parent)
{
    LookLikeAPanel(this, "Panel5");
    Label3 = BoldLabel(this, "Label3", QStringLiteral("Baned Nicks for this room"));
    ListBox1 = Named(new QListWidget(this), "ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Button5 = Named(new QPushButton(QStringLiteral("Remove Ban"), this), "Button5");
    Button6 = Named(new QPushButton(QStringLiteral("Ok"), this), "Button6");
    LayOut(this, Label3, ListBox1, {Button5, Button6});
    connect(Button6, &QPushButton::clicked, this, &QWidget::hide);
}

InvitePanel::InvitePanel(QWidget* parent)
    : QFrame(parent)
{
    LookLikeAPanel(this, "invitepanel");
    Label4 = BoldLabel(this, "Label4", QStringLiteral("Invite Buddies to this room"));
    invitelist = Named(new QListWidget(this), "invitelist");
    invitelist->setSelectionMode(QAbstractItemView::MultiSelection);
    invitebtn = Named(new QPushButton(QStringLiteral("Invite"), this), "invitebtn");
    LayOut(this, Label4, invitelist, {invitebtn});
}
