#include "chat/room_tool_bar.h"

#include "chat/action_menu.h"
#include "chat/country_rooms.h"
#include "chat/nick_icons.h"
#include "common/line_breaks.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kSelectRoom = QStringLiteral("[Select Room]");

QToolButton* ToolButton(QWidget* parent, const QString& name, const QString& hint, QStyle::StandardPixmap icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAutoRaise(true);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

}  // namespace

RoomToolBar::RoomToolBar(QWidget* parent)
    : QToolBar(parent)
{
    setObjectName(QStringLiteral("toolBar"));
    setIconSize(QSize(16, 16));
    setMovable(false);
    setFloatable(false);

    roomSelector_ = new QComboBox(this);
    roomSelector_->setObjectName(QStringLiteral("roomSelector"));
    roomSelector_->setToolTip(QStringLiteral("Rooms List"));
    roomSelector_->setEditable(true);
    roomSelector_->setInsertPolicy(QComboBox::NoInsert);
    roomSelector_->setMaxVisibleItems(16);
    roomSelector_->setMinimumContentsLength(14);
    roomSelector_->setIconSize(QSize(16, 11));
    for (const CountryRoom& room : CountryRooms())
        roomSelector_->addItem(CountryFlag(room.flagCode), room.name);
    roomSelector_->setCurrentIndex(-1);
    roomSelector_->setEditText(kSelectRoom);
    // The country rooms are offered below the typed text, never written into
    // it: what the user typed is what Enter joins ("a" is not #Argentina).
    auto* offers = new QCompleter(roomSelector_->model(), roomSelector_);
    offers->setCaseSensitivity(Qt::CaseInsensitive);
    offers->setCompletionMode(QCompleter::PopupCompletion);
    roomSelector_->setCompleter(offers);
    offers->popup()->installEventFilter(this);
    KeepOnOneLine(roomSelector_->lineEdit());
    // A real key press reaches the combo box, which hands it to its line
    // edit directly, past the line edit's event filters: watch both.
    roomSelector_->installEventFilter(this);
    roomSelector_->lineEdit()->installEventFilter(this);

    joinButton_ = ToolButton(this, QStringLiteral("joinButton"), QStringLiteral("Join selected room"),
                             QStyle::SP_MediaPlay);
    leaveButton_ = ToolButton(this, QStringLiteral("leaveButton"), QStringLiteral("Left the room"),
                              QStyle::SP_MediaStop);
    actionButton_ = ToolButton(this, QStringLiteral("actionButton"), QStringLiteral("Send an Action"),
                               QStyle::SP_FileDialogContentsView);
    actionButton_->setText(QStringLiteral("Action"));
    actionButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QMenu* actionMenu = BuildActionMenu(parent);
    actionButton_->setMenu(actionMenu);
    actionButton_->setPopupMode(QToolButton::InstantPopup);
    banListButton_ = ToolButton(this, QStringLiteral("banListButton"), QStringLiteral("Banned Nicks"),
                                QStyle::SP_MessageBoxCritical);
    advertiseButton_ = ToolButton(this, QStringLiteral("advertiseButton"), QStringLiteral("Advertise"),
                                  QStyle::SP_MessageBoxInformation);
    favoriteButton_ = ToolButton(this, QStringLiteral("favoriteButton"), QStringLiteral("Add this room to favorites"),
                                 QStyle::SP_DialogYesButton);
    favoriteButton_->setIcon(NickIcon(kHostIcon));
    inviteButton_ = ToolButton(this, QStringLiteral("inviteButton"), QStringLiteral("Invite buddies to this room"),
                               QStyle::SP_FileDialogNewFolder);
    QToolButton* save =
        ToolButton(this, QStringLiteral("saveButton"), QStringLiteral("Save Chat"), QStyle::SP_DialogSaveButton);
    QToolButton* close =
        ToolButton(this, QStringLiteral("closeButton"), QStringLiteral("Exit"), QStyle::SP_DialogCloseButton);

    addWidget(roomSelector_);
    addWidget(joinButton_);
    addWidget(leaveButton_);
    addSeparator();
    addWidget(actionButton_);
    addWidget(banListButton_);
    addWidget(advertiseButton_);
    addWidget(favoriteButton_);
    addWidget(inviteButton_);
    addSeparator();
    addWidget(save);
    addWidget(close);

    connect(joinButton_, &QToolButton::clicked, this, &RoomToolBar::JoinClicked);
    connect(leaveButton_, &QToolButton::clicked, this, &RoomToolBar::LeaveClicked);
    connect(actionMenu, &QMenu::triggered, this,
            [this](QAction* action) { emit ActionChosen(action->data().toInt()); });
    connect(banListButton_, &QToolButton::clicked, this, &RoomToolBar::BanListClicked);
    connect(advertiseButton_, &QToolButton::clicked, this, &RoomToolBar::AdvertiseClicked);
    connect(favoriteButton_, &QToolButton::clicked, this, &RoomToolBar::FavoriteClicked);
    connect(inviteButton_, &QToolButton::clicked, this, &RoomToolBar::InviteClicked);
    connect(save, &QToolButton::clicked, this, &RoomToolBar::SaveClicked);
    connect(close, &QToolButton::clicked, this, &RoomToolBar::CloseClicked);
}

QString RoomToolBar::SelectedRoom() const
{
    const QString text = roomSelector_->currentText();
    return text == kSelectRoom ? QString() : text;
}

void RoomToolBar::SetSelectedRoom(const QString& room) { roomSelector_->setEditText(room); }

void RoomToolBar::SetInRoomLook(bool inRoom, bool advertising)
{
    inRoom_ = inRoom;
    roomSelector_->setEnabled(!inRoom);
    joinButton_->setEnabled(!inRoom);
    for (QToolButton* button :
         {leaveButton_, actionButton_, inviteButton_, favoriteButton_, advertiseButton_, banListButton_})
        button->setEnabled(inRoom);
    if (advertising)
        advertiseButton_->setEnabled(false);
}

void RoomToolBar::SetAdvertiseEnabled(bool enabled) { advertiseButton_->setEnabled(enabled); }

void RoomToolBar::SetBanListEnabled(bool enabled) { banListButton_->setEnabled(enabled); }

bool RoomToolBar::eventFilter(QObject* watched, QEvent* event)
{
    QAbstractItemView* offers = roomSelector_->completer()->popup();
    if (watched == offers && event->type() == QEvent::KeyPress) {
        // Enter while the offers show: an offer picked with the arrows becomes
        // the text, else the text stays as typed; the release joins either way.
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            enterPressedInSelector_ = true;
            if (!offers->currentIndex().isValid()) {
                offers->hide();
                return true;
            }
        }
        return QToolBar::eventFilter(watched, event);
    }
    if (watched != roomSelector_ && watched != roomSelector_->lineEdit())
        return QToolBar::eventFilter(watched, event);
    // "[Select Room]" is a prompt: the first key typed replaces it.
    if (event->type() == QEvent::FocusIn && roomSelector_->currentText() == kSelectRoom)
        QTimer::singleShot(0, roomSelector_->lineEdit(), &QLineEdit::selectAll);
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Only an Enter pressed here joins on its release: the release of
            // the Enter that chose Chat > New lands in the new window's selector.
            if (event->type() == QEvent::KeyPress) {
                enterPressedInSelector_ = !key->isAutoRepeat() || enterPressedInSelector_;
            } else if (!key->isAutoRepeat() && enterPressedInSelector_) {
                enterPressedInSelector_ = false;
                if (roomSelector_->isEnabled()) emit JoinClicked();
                return true;
            }
        }
    }
    return QToolBar::eventFilter(watched, event);
}
