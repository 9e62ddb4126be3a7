#pragma once
// Aims the connection at what the server box names: host, port, TLS and the
// certificates the user trusts for the host; and tells where it arrived.
#include <QString>

class LineConnection;
class QWidget;

// False, after telling the user why, when the text names no server; nothing
// is opened here.
bool AimConnection(QWidget* parent, LineConnection& connection, const QString& boxText, bool tlsSwitch);

// The server log's line for the open connection, with the address it reached
// and the port: "Connected to irc.example.net (2001:db8::1 port 6697)." or,
// for a host written in numbers, "Connected to ::1 port 6697." (the address
// as the system writes it).
QString ConnectedLine(const LineConnection& connection);
