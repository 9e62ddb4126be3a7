#pragma once
// Server text made fit to be shown in a field, a list or a log line.
#include <QString>

// text without formatting codes, and with every other control character and
// line or paragraph separator made a space, so that it shows as one line of
// plain text and never as boxes.
QString ShownText(const QString& text);
