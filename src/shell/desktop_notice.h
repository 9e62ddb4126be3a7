#pragma once

#include <QString>

// Shows a desktop notification through the freedesktop notification service
// on the session bus. Without a session bus or a notification service nothing
// happens: the call neither waits nor fails.
void ShowDesktopNotice(const QString& summary, const QString& body);
