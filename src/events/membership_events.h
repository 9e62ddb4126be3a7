#pragma once
// What room membership lines do to the room windows: joins, parts, quits,
// kicks, operator and ban modes, name lists and topics.
#include "protocol/irc_message.h"

#include <QString>

class TForm1;
class TMainForm;

// Each handler runs on the UI thread with one parsed line; ownnick is the
// reader's copy of the user's nick. A line for a room without a window
// changes nothing.
void HandleJoin(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line);
void HandlePart(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line);
void HandleQuit(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line);
void HandleKick(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line);
void HandleMode(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line);
void HandleNames(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line);   // 353
void HandleTopic(TMainForm& frame, const QString& ownnick, const ircmessageencoder& line);   // 332

// The user's own host status in window, from a nick-list text: "@" + own nick
// enables the host-only controls, the bare own nick disables them, anything
// else changes nothing. Comparisons are exact.
void UpdateOwnStatus(TForm1& window, const QString& entry, const QString& ownnick);
