#include "protocol/irc/nick_rules.h"

std::string NickFault(std::string_view nick)
{
    if (nick.empty()) return "it is empty";
    const char first = nick.front();
    if (first == '#') return "it starts with \"#\"";
    if (first == ':') return "it starts with \":\"";
    if (first >= '0' && first <= '9') return "it starts with a digit";
    for (const char c : nick) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ') return "it holds a space";
        if (byte == ',') return "it holds a comma";
        if (byte < 0x20 || byte == 0x7F) return "it holds a control character";
    }
    return {};
}
