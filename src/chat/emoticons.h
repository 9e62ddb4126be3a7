#pragma once

#include <QImage>
#include <QString>

// The ten emoticons: their pictures (Image1 to Image10, drawn by the program)
// and the recognition of their texts in chat text.

inline constexpr int kEmoticonCount = 10;

// Picture of emoticon n (1-10): 1 smiling face, 2 laughing face, 3 winking
// face, 4 surprised face, 5 tongue-out face, 6 crying face, 7 heart,
// 8 broken heart, 9 flower, 10 lips. Antialiased on a transparent
// background, between 13x12 and 21x21 pixels. Drawn once, then shared.
// A null image for any other n.
QImage EmoticonPicture(int n);

// The component name of emoticon n's picture: "Image1" .. "Image10".
QString EmoticonPictureName(int n);

// An emoticon text found in chat text: its number (0 = none) and how many
// characters it covers.
struct EmoticonMatch {
    int number = 0;
    int length = 0;
    bool operator==(const EmoticonMatch&) const = default;
};

// The emoticon text starting at pos, tried in this order, the first match
// winning: ":))", ":)", ";)", ":O"/":o", ":P"/":p", ":(", then "(" + h, u, f
// or k in either case + ")". No match (number 0) when none starts there.
EmoticonMatch MatchEmoticon(const QString& text, qsizetype pos);
