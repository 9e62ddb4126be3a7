#pragma once
// The colours of the chat windows' own entries (notes, echoes, joins and
// parts, actions), each defined here once.
#include <QColor>

namespace chat_colors {

inline const QColor kBlack(0x00, 0x00, 0x00);
inline const QColor kBlue(0x00, 0x00, 0xFF);
inline const QColor kGreen(0x00, 0x80, 0x00);
inline const QColor kGrey(0x80, 0x80, 0x80);
// Lines shown from the history, above the window's own.
inline const QColor kMuted(0x8C, 0x8C, 0x99);
inline const QColor kMaroon(0x80, 0x00, 0x00);
// The text of a note that answers the user (help, the server's word) rather than warns.
inline const QColor kNote(0x00, 0x55, 0x80);
inline const QColor kPurple(0x80, 0x00, 0x80);
inline const QColor kRed(0xFF, 0x00, 0x00);

}  // namespace chat_colors
