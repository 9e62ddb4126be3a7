#pragma once
// Desktop notifications through the session bus.
#include <QString>

// Shows a desktop notification through the freedesktop notification service
// on the session bus. Without a session bus or a notification service nothing
// happens: the call neither waits nor fails. Summary and body are plain text
// (from the server, as often as not): they are escaped for the services that
// read markup in them.
void ShowDesktopNotice(const QString& summary, const QString& body);
