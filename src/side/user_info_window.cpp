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
    fullname = field("fullname", "Full Name");
    nick = field("nick", "Nick");
    ipaddress = field("ipaddress", "IP Address");
    server = field("server", "Server");
    usertype = field("usertype", "User Type");

    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setDefault(true);
    layout->addStretch(1);
    layout->addWidget(OK, 0, Qt::AlignHCenter);
    connect(OK, &QPushButton::clicked, this, &UserInfoWindow::OKClick);
}

QString UserInfoWindow::UserType(const QString& flags)
{
    return flags.contains(u'@') ? QStringLiteral("Operatory / Host") : QStringLiteral("Normal User");
}

bool UserInfoWindow::Fill(const UserProfile& profile)
{
    if (!askedNick_.isEmpty() && profile.nick.compare(askedNick_, Qt::CaseInsensitive) != 0) return false;
    ipaddress->setText(profile.host);
    fullname->setText(profile.fullName);
    server->setText(profile.server);
    nick->setText(profile.nick);
    usertype->setText(UserType(profile.flags));
    for (QLineEdit* field : {fullname, nick, ipaddress, server, usertype}) field->setCursorPosition(0);
    return true;
}

void UserInfoWindow::OKClick() { accept(); }
