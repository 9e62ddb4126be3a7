#pragma once
// The words the dialogs use to refuse a nick that cannot be sent.
#include <QString>

// The text of the information box that refuses `nick`, or an empty text when
// the nick may be sent (see NickFault for the rules).
QString NickRefusal(const QString& nick);
