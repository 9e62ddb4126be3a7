#pragma once

#include <QIcon>
#include <QList>
#include <QString>

// One room offered by the room selector: the room name as sent and the
// two-letter code of its country's flag.
struct CountryRoom {
    QString name;
    QString flagCode;
};

// The country rooms of the room selector, in the order shown.
const QList<CountryRoom>& CountryRooms();

// The flag picture of a country code from the system's flag collection; a
// null icon when the picture is not there.
QIcon CountryFlag(const QString& flagCode);
