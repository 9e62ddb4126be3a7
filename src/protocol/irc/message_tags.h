#pragma once
// The IRCv3 message tags of a received line: "@key=value;key2" before the source.
#include <string>
#include <string_view>
#include <vector>

// One tag: its key as sent (a client "+" and a vendor part included) and its
// value with the escapes resolved; a key sent without "=" has an empty value.
struct MessageTag {
    std::string key;
    std::string value;
    bool operator==(const MessageTag&) const = default;
};

// Reads the tag section (without its leading "@") into tags, replacing what
// they held. Empty items and items without a key are skipped.
void ReadMessageTags(std::string_view section, std::vector<MessageTag>& tags);

// A tag value with its escapes resolved: "\:" is ";", "\s" a space, "\\" a
// backslash, "\r" CR, "\n" LF, a backslash before any other byte stands for
// that byte, and a lone backslash at the end is dropped.
void UnescapeTagValue(std::string_view escaped, std::string& out);
