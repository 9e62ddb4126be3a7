#pragma once
// Aims the connection at what the server box names: host, port, TLS and the
// certificates the user trusts for the host.
#include <QString>

class LineConnection;
class QWidget;

// False, after telling the user why, when the text names no server; nothing
// is opened here.
bool AimConnection(QWidget* parent, LineConnection& connection, const QString& boxText, bool tlsSwitch);
