#pragma once

#include <QColor>
#include <QImage>
#include <QTextCharFormat>

#include <cstdint>

// The look of one run of transcript text, small enough to be shared: every
// distinct look is kept once for the whole program and named by a number.
struct RunStyle {
    enum Flag : std::uint8_t {
        Bold = 1,
        Italic = 2,
        Underline = 4,
        Strike = 8,
        Monospace = 16,
    };
    QRgb foreground = 0xFF000000;  // opaque black
    QRgb background = 0;           // alpha 0: no background
    std::uint8_t flags = 0;

    bool Has(Flag flag) const { return (flags & flag) != 0; }
    void Set(Flag flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }
    bool HasBackground() const { return qAlpha(background) != 0; }
    bool operator==(const RunStyle& other) const
    {
        return foreground == other.foreground && background == other.background && flags == other.flags;
    }
};

using StyleId = std::uint16_t;
using PictureId = std::uint16_t;

// The shared table of looks (user-interface thread only). Id 0 is plain black.
StyleId InternStyle(const RunStyle& style);
const RunStyle& StyleOf(StyleId id);
// The look as a rich-text format: what the old rich-text view gave the same
// attributes, so that saved files and copies keep their look.
const QTextCharFormat& CharFormatOf(StyleId id);

// The shared table of pictures: each distinct picture kept once (by its
// cache key) however often and wherever it is shown.
PictureId InternPicture(const QImage& picture);
const QImage& PictureOf(PictureId id);
