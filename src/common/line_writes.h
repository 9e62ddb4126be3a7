#pragma once
// Sending lines where the user asked for them: they go out, or the user is
// told in a message box why not.
#include <QWidget>

#include <string>
#include <vector>

class LineConnection;

// Writes lines to connection (none: not connected); false, with the
// transport's reason shown over asker, when they could not be written.
bool WriteLinesOrTell(LineConnection* connection, const std::vector<std::string>& lines, QWidget* asker);
