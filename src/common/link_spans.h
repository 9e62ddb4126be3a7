#pragma once

#include <QList>
#include <QString>

// A link in a chat text: the characters [start, end) of the text as received
// (formatting bytes inside it included) and what it leads to: the address
// without formatting bytes ("http://" put in front of a "www." address), or
// "#room" for a room name.
struct LinkSpan {
    qsizetype start = 0;
    qsizetype end = 0;
    QString target;
    bool operator==(const LinkSpan&) const = default;
};

// The links in text, in order: "http://" and "https://" addresses, "www."
// addresses and "#room" names, each starting a word. A link ends at a space,
// a control byte other than formatting, or one of < > "; punctuation at its
// end and a closing bracket without its opening one inside stay outside.
QList<LinkSpan> FindLinks(const QString& text);

// A link's target as the tooltip and the status bar show it: a web address
// all in ASCII, its host name in punycode ("xn--...") and every other
// character outside ASCII, direction controls included, %-escaped, so letters
// that look like others and text that runs the other way cannot hide where it
// leads. A "#room" target is shown as fit to show.
QString ShownLinkTarget(const QString& target);

// True when text names nick as a whole word, letter case not counting.
bool NamesNick(const QString& text, const QString& nick);
