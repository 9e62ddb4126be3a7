#include "common/line_writes.h"

#include "common/prompts.h"
#include "protocol/stream/line_connection.h"

bool WriteLinesOrTell(LineConnection* connection, const std::vector<std::string>& lines, QWidget* asker)
{
    try {
        if (!connection) throw TransportError("not connected");
        connection->WriteLines(lines);
    } catch (const TransportError& error) {
        prompts().Error(asker, QString::fromStdString(error.what()));
        return false;
    }
    return true;
}
