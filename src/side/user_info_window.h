#pragma once
// The user information window: what the server's WHO reply says about one user.
#include <QDialog>

#include "common/user_profile.h"

class QLineEdit;
class QPushButton;

// "User Information": full name, nick, address, server and whether the user
// is a room operator, in read-only fields that stay empty until a WHO reply
// fills them (while the window is open, modally).
class UserInfoWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int kWidth = 273;
    static constexpr int kHeight = 312;

    explicit UserInfoWindow(QWidget* parent = nullptr);

    // The nick this window was opened for: only a reply about that nick
    // (letter case aside) fills it. Empty: any reply does.
    void SetAskedNick(const QString& nickBox_) { askedNick_ = nickBox_; }
    // Fills the fields from one WHO reply about the asked nick (a late reply
    // to an earlier Profile is passed over); a later reply fills them again.
    // False when the reply was passed over.
    bool Fill(const UserProfile& profile);
    // "Operatory / Host" for flags holding "@" (an away operator is still
    // one), otherwise "Normal User".
    static QString UserType(const QString& flags);

    QLineEdit* fullNameBox_ = nullptr;
    QLineEdit* nickBox_ = nullptr;
    QLineEdit* addressBox_ = nullptr;
    QLineEdit* serverBox_ = nullptr;
    QLineEdit* userTypeBox_ = nullptr;
    QPushButton* okButton_ = nullptr;

    void onOkClicked();

private:
    QString askedNick_;
};
