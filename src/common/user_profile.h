#pragma once
// What a WHO reply tells about one user.
#include <QString>

struct UserProfile {
    QString nick;
    QString host;
    QString server;
    QString flags;     // "H", "G", "H@", "H*@" ...
    QString fullName;
    bool operator==(const UserProfile&) const = default;
};
