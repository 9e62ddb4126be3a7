#pragma once
// The program's own small pictures: tool bar glyphs and the window icon, drawn
// with QPainter so the program ships no picture files.
#include <QIcon>

enum class Glyph {
    NewWindow,
    Connect,
    Disconnect,
    TileHorizontal,
    TileVertical,
    Cascade,
    Away,
    RoomList,
    Exit,
    Padlock,
    PadlockOpen,  // the shackle up and the body grey: no TLS
    CloseCross,
    AppIcon,
};

// The glyph as an icon (drawn once per glyph, then shared).
QIcon GlyphIcon(Glyph glyph);
