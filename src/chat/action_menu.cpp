#include "chat/action_menu.h"

#include "common/line_breaks.h"
#include "protocol/irc/sent_lines.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

std::string Dance(const std::string&) { return actions::Dance(); }
std::string Laugh(const std::string&) { return actions::Laugh(); }
std::string Jump(const std::string&) { return actions::Jump(); }
std::string Scared(const std::string&) { return actions::Scared(); }
std::string Sing(const std::string&) { return actions::Sing(); }

constexpr int kRoomWideCount = 5;  // the entries before the first separator

}  // namespace

const QList<CannedAction>& CannedActions()
{
    static const QList<CannedAction> entries = {
        {"Dance2", "Dance", false, &Dance},
        {"Laugh2", "Laugh", false, &Laugh},
        {"Jump2", "Jump", false, &Jump},
        {"Scared2", "Scared", false, &Scared},
        {"Sing2", "Sing", false, &Sing},
        {"Kiss1", "Kiss", true, &actions::Kiss},
        {"Slap1", "Slap", true, &actions::Slap},
        {"Love1", "Love", true, &actions::Love},
        {"OfferDate1", "Offer Date", true, &actions::OfferDate},
    };
    return entries;
}

QMenu* BuildActionMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu2"));
    const QList<CannedAction>& entries = CannedActions();
    for (int i = 0; i < entries.size(); ++i) {
        if (i == kRoomWideCount)
            menu->addSeparator()->setObjectName(QStringLiteral("N6"));
        QAction* action = menu->addAction(QString::fromLatin1(entries[i].caption));
        action->setObjectName(QString::fromLatin1(entries[i].name));
        action->setData(i);
    }
    menu->addSeparator()->setObjectName(QStringLiteral("N5"));
    QAction* custom = menu->addAction(QStringLiteral("Custom"));
    custom->setObjectName(QStringLiteral("Custom1"));
    custom->setData(-1);
    return menu;
}

CustomActionPanel::CustomActionPanel(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel3"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    Label1 = new QLabel(QStringLiteral("Action (eg: is singing loudly - your nick will be added automatically)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    KeepOnOneLine(Edit2);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(Label1);
    layout->addWidget(Edit2);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { emit Accepted(Edit2->text()); });
    connect(Edit2, &QLineEdit::returnPressed, this, [this] { emit Accepted(Edit2->text()); });
    connect(Button2, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void CustomActionPanel::Open()
{
    show();
    raise();
    Edit2->setFocus();
}
