#pragma once
// Hands one parsed server line to the handler that its code or command names.
#include "protocol/irc_message.h"

#include <QString>

class TMainForm;

// UI thread. ownnick is the reader's copy of the user's nick.
void RouteLine(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line);
