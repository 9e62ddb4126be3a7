#include "side/user_info_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

UserInfoWindow::UserInfoWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("UserInfoWindow"));
    setWindowTitle(QStringLiteral("User Information"));
    setFixedSize(kWidth, kHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 10);
    layout->setSpacing(2);
    const auto field = [this, layout](const char* name, const char* caption) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        QFont bold = label->font();
        bold.setBold(true);
        bold.setPixelSize(13);
        label->setFont(bold);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        edit->setEnabled(false);
        layout->addWidget(label);
        layout->addWidget(edit);
        layout->addSpacing(4);
        return edit;
    };
    fullNameBox_ = field("fullname", "Full Name");
    nickBox_ = field("nick", "Nick");
    addressBox_ = field("ipaddress", "IP Address");
    serverBox_ = field("server", "Server");
    userTypeBox_ = field("usertype", "User Type");

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OK"));
    okButton_->setDefault(true);
    layout->addStretch(1);
    layout->addWidget(okButton_, 0, Qt::AlignHCenter);
    connect(okButton_, &QPushButton::clicked, this, &UserInfoWindow::onOkClicked);
}

QString UserInfoWindow::UserType(const QString& flags)
{
    return flags.contains(u'@') ? QStringLiteral("Operatory / Host") : QStringLiteral("Normal User");
}

bool UserInfoWindow::Fill(const UserProfile& profile)
{
    if (!askedNick_.isEmpty() && profile.nick.compare(askedNick_, Qt::CaseInsensitive) != 0) return false;
    addressBox_->setText(profile.host);
    fullNameBox_->setText(profile.fullName);
    serverBox_->setText(profile.server);
    nickBox_->setText(profile.nick);
    userTypeBox_->setText(UserType(profile.flags));
    for (QLineEdit* field : {fullNameBox_, nickBox_, addressBox_, serverBox_, userTypeBox_}) field->setCursorPosition(0);
    return true;
}

void UserInfoWindow::onOkClicked() { accept(); }
