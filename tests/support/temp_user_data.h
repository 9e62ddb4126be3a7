#pragma once
// Keeps every account's user data folder (list files, saved chats) in a
// fresh temporary folder for the life of the object, so that tests that log
// in never write into the user's own data folder.
#include "common/user_data_folder.h"

#include <QTemporaryDir>

class TempUserData {
public:
    TempUserData() { SetUserDataRoot(dir_.path()); }
    ~TempUserData() { SetUserDataRoot(QString()); }
    TempUserData(const TempUserData&) = delete;
    TempUserData& operator=(const TempUserData&) = delete;

    // The root: the account folders are below its "userdata" folder.
    QString Path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};
