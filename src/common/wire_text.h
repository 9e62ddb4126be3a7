#pragma once

#include <QString>
#include <string>

// The one place where wire bytes become text and text becomes wire bytes.
// Formatting bytes (everything below 0x20, NUL included) pass unchanged both ways.

// Received bytes as text: UTF-8 when the bytes are valid UTF-8 as a whole,
// Latin-1 otherwise (every byte is then one character of the same code).
QString FromWire(const std::string& bytes);

// Text as wire bytes, always UTF-8.
std::string ToWire(const QString& text);

// Trims every character with a code from 0 to 32 from both ends, as the wire's
// own trimming does with bytes.
QString TrimControls(const QString& text);
