#pragma once

#include <QString>
#include <string>

// The one place where wire bytes become text and text becomes wire bytes.
// Formatting bytes (everything below 0x20, NUL included) pass unchanged both ways.

// Received bytes as text, sequence by sequence: every well-formed UTF-8
// sequence is its character, every other byte is the Latin-1 character of the
// same code. So a word reads the same wherever it stands, next to UTF-8 or
// Latin-1 text. Overlong forms, encoded surrogates and code points above
// U+10FFFF are not well-formed: their bytes are read as Latin-1.
QString FromWire(const std::string& bytes);

// Text as wire bytes, always UTF-8.
std::string ToWire(const QString& text);

// Trims every character with a code from 0 to 32 from both ends, as the wire's
// own trimming does with bytes.
QString TrimControls(const QString& text);
