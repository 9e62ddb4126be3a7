#pragma once
// The nick service's word, read from the lines of a guest login, that the
// nick is registered to someone: the server log alone would hide it.
#include <QString>

#include <string>

// For a received line that is the nick service's notice that the nick is
// registered: the note the user is shown once after the login. Else empty.
QString RegisteredNickNote(const std::string& rawLine);
