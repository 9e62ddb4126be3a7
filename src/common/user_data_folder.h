#pragma once

#include <QString>

// The account's folder for its list files and saved chats:
// <per-user data location>/userdata/<host>/<nick>, made when it is missing.
// Host and nick are used as they stand, except that a character no folder
// name may hold ("/", "\", control characters) becomes "_", and a name that
// is empty or only dots is given a leading "_", so neither can climb out of
// the user data folder. A folder that cannot be made is left out silently;
// the path is returned all the same.
QString UserDataFolder(const QString& host, const QString& nick);

// The folder that holds every account's folder and the program's own files
// (the certificates the user trusts); not made here.
QString UserDataRoot();

// Tests: keep every user data folder below root instead ("root/userdata/...");
// an empty root brings back the per-user data location.
void SetUserDataRoot(const QString& root);
