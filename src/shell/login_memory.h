#pragma once
// What the login dialog remembers of the last login on each server (host and
// port): the nick and the guest box, never the password. Kept in the
// program's settings file.
#include <QString>

struct RememberedLogin {
    QString nick;        // empty: nothing remembered for the server
    bool guest = false;
};

// server: the host and port the dialog logs in to, as "host:port".
QString LoginServerKey(const QString& host, int port);
RememberedLogin RecallLogin(const QString& server);
void RememberLogin(const QString& server, const RememberedLogin& login);
