#include "protocol/irc/message_tags.h"

void UnescapeTagValue(std::string_view escaped, std::string& out)
{
    out.clear();
    out.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i == escaped.size()) break;
        switch (escaped[i]) {
        case ':': out.push_back(';'); break;
        case 's': out.push_back(' '); break;
        case 'r': out.push_back('\r'); break;
        case 'n': out.push_back('\n'); break;
        default: out.push_back(escaped[i]); break;  // "\\" and any other byte
        }
    }
}

void ReadMessageTags(std::string_view section, std::vector<MessageTag>& tags)
{
    tags.clear();
    while (!section.empty()) {
        const std::size_t end = section.find(';');
        const std::string_view item = section.substr(0, end);
        section = end == std::string_view::npos ? std::string_view() : section.substr(end + 1);
        const std::size_t equals = item.find('=');
        const std::string_view key = item.substr(0, equals);
        if (key.empty()) continue;
        MessageTag& tag = tags.emplace_back();
        tag.key.assign(key);
        if (equals != std::string_view::npos) UnescapeTagValue(item.substr(equals + 1), tag.value);
    }
}
