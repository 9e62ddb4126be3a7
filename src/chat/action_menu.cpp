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
        {"danceAction", "Dance", false, &Dance},
        {"laughAction", "Laugh", false, &Laugh},
        {"jumpAction", "Jump", false, &Jump},
        {"scaredAction", "Scared", false, &Scared},
        {"singAction", "Sing", false, &Sing},
        {"kissAction", "Kiss", true, &actions::Kiss},
        {"slapAction", "Slap", true, &actions::Slap},
        {"loveAction", "Love", true, &actions::Love},
        {"offerDateAction", "Offer Date", true, &actions::OfferDate},
    };
    return entries;
}

QMenu* BuildActionMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("actionMenu"));
    const QList<CannedAction>& entries = CannedActions();
    for (int i = 0; i < entries.size(); ++i) {
        if (i == kRoomWideCount)
            menu->addSeparator()->setObjectName(QStringLiteral("nickActionsSeparator"));
        QAction* action = menu->addAction(QString::fromLatin1(entries[i].caption));
        action->setObjectName(QString::fromLatin1(entries[i].name));
        action->setData(i);
    }
    menu->addSeparator()->setObjectName(QStringLiteral("customActionSeparator"));
    QAction* custom = menu->addAction(QStringLiteral("Custom"));
    custom->setObjectName(QStringLiteral("customAction"));
    custom->setData(-1);
    return menu;
}

CustomActionPanel::CustomActionPanel(QWidget* over, QWidget* parent)
    : FloatingPanel(over, Height::Own, QStringLiteral("customActionPanel"), parent)
{
    auto* label =
        new QLabel(QStringLiteral("Action (eg: is singing loudly - your nick will be added automatically)"), this);
    label->setObjectName(QStringLiteral("customActionLabel"));
    label->setWordWrap(true);
    actionLine_ = new QLineEdit(this);
    actionLine_->setObjectName(QStringLiteral("customActionLine"));
    KeepOnOneLine(actionLine_);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("customActionOkButton"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("customActionCancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(label);
    layout->addWidget(actionLine_);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] { emit Accepted(actionLine_->text()); });
    connect(actionLine_, &QLineEdit::returnPressed, this, [this] { emit Accepted(actionLine_->text()); });
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void CustomActionPanel::OpenForAction()
{
    Open();
    actionLine_->setFocus();
}
