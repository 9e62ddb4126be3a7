#pragma once
// What a nick may hold before the program sends it to a server.
#include <string>
#include <string_view>

// Why `nick` (UTF-8 bytes) cannot be a nick, in a few words ("it holds a
// space"); empty when it can. Refused: an empty nick, a space, a comma, a
// control byte (0x00-0x1F, 0x7F) anywhere, and "#", ":" or a digit first.
// Everything else, letters outside ASCII included, is left to the server.
std::string NickFault(std::string_view nick);
