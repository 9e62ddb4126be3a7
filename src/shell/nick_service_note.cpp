#include "shell/nick_service_note.h"

#include "common/shown_text.h"
#include "common/wire_text.h"
#include "protocol/irc/irc_message.h"
#include "protocol/irc/text_util.h"

QString RegisteredNickNote(const std::string& rawLine)
{
    IrcMessage line;
    if (!line.Decode(rawLine) || text::LowerAscii(line.Verb()) != "notice" ||
        text::LowerAscii(line.SourceNick()) != "nickserv")
        return {};
    const QString said = ShownWireText(std::string(line.LastParam()));
    // "This nickname is registered ...", "This nick is registered and protected ..."
    const QString plain = said.toLower();
    if (!plain.contains(QStringLiteral("nickname is registered")) && !plain.contains(QStringLiteral("nick is registered")))
        return {};
    return QStringLiteral("Your nick is registered to someone else. NickServ says: ") + said;
}
