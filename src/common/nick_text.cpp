#include "common/nick_text.h"

#include "common/wire_text.h"
#include "protocol/irc/nick_rules.h"

QString NickRefusal(const QString& nick)
{
    const std::string fault = NickFault(ToWire(nick));
    if (fault.empty()) return QString();
    return QStringLiteral("This nick name cannot be used: %1.\n"
                          "A nick name may not hold spaces, commas or control characters, "
                          "nor start with \"#\", \":\" or a digit.")
        .arg(QString::fromStdString(fault));
}
