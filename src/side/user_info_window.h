#pragma once
// The user information window: what the server's WHO reply says about one user.
#include <QDialog>

#include "common/user_profile.h"

class QLineEdit;
class QPushButton;

// "User Information": full name, nick, address, server and whether the user
// is a room operator, in read-only fields that stay empty until a WHO reply
// fills them (while the window is open, modally).
class TForm8 : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 273;
    static constexpr int kHeight = 312;

    explicit TForm8(QWidget* parent = nullptr);

    // Fills the fields from one WHO reply; a later reply fills them again.
    void Fill(const UserProfile& profile);
    // "Operatory / Host" for flags holding "@" (an away operator is still
    // one), otherwise "Normal User".
    static QString UserType(const QString& flags);

    QLineEdit* fullname = nullptr;
    QLineEdit* nick = nullptr;
    QLineEdit* ipaddress = nullptr;
    QLineEdit* server = nullptr;
    QLineEdit* usertype = nullptr;
    QPushButton* OK = nullptr;

    void OKClick();
};
