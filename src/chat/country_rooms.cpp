#include "chat/country_rooms.h"

#include <QFileInfo>
#include <QPixmap>

#ifndef TALVESSA_FLAG_DIR
#define TALVESSA_FLAG_DIR "/usr/share/flags/countries/16x11"
#endif

const QList<CountryRoom>& CountryRooms()
{
    // The names are the room names as they go out, spelling included.
    static const QList<CountryRoom> rooms = {
        {QStringLiteral("Argentina"), QStringLiteral("ar")},
        {QStringLiteral("Australia"), QStringLiteral("au")},
        {QStringLiteral("Austria"), QStringLiteral("at")},
        {QStringLiteral("Brazil"), QStringLiteral("br")},
        {QStringLiteral("Bulgaria"), QStringLiteral("bg")},
        {QStringLiteral("Canada"), QStringLiteral("ca")},
        {QStringLiteral("Chile"), QStringLiteral("cl")},
        {QStringLiteral("China"), QStringLiteral("cn")},
        {QStringLiteral("Crotia"), QStringLiteral("hr")},
        {QStringLiteral("Czech-Republic"), QStringLiteral("cz")},
        {QStringLiteral("Denmark"), QStringLiteral("dk")},
        {QStringLiteral("Estonia"), QStringLiteral("ee")},
        {QStringLiteral("Finland"), QStringLiteral("fi")},
        {QStringLiteral("France"), QStringLiteral("fr")},
        {QStringLiteral("Germany"), QStringLiteral("de")},
        {QStringLiteral("Great-Britain"), QStringLiteral("gb")},
        {QStringLiteral("Greece"), QStringLiteral("gr")},
        {QStringLiteral("Hungary"), QStringLiteral("hu")},
        {QStringLiteral("Iceland"), QStringLiteral("is")},
        {QStringLiteral("Ireland"), QStringLiteral("ie")},
        {QStringLiteral("Israel"), QStringLiteral("il")},
        {QStringLiteral("Italy"), QStringLiteral("it")},
        {QStringLiteral("Japan"), QStringLiteral("jp")},
        {QStringLiteral("Latvia"), QStringLiteral("lv")},
        {QStringLiteral("Netherlands"), QStringLiteral("nl")},
        {QStringLiteral("Pakistan"), QStringLiteral("pk")},
        {QStringLiteral("Poland"), QStringLiteral("pl")},
        {QStringLiteral("Portugal"), QStringLiteral("pt")},
        {QStringLiteral("Romania"), QStringLiteral("ro")},
        {QStringLiteral("Russia"), QStringLiteral("ru")},
        {QStringLiteral("Singapore"), QStringLiteral("sg")},
        {QStringLiteral("South-Africa"), QStringLiteral("za")},
        {QStringLiteral("South-Korea"), QStringLiteral("kr")},
        {QStringLiteral("Spain"), QStringLiteral("es")},
        {QStringLiteral("Sweden"), QStringLiteral("se")},
        {QStringLiteral("Switzerland"), QStringLiteral("ch")},
        {QStringLiteral("Taiwan"), QStringLiteral("tw")},
        {QStringLiteral("Ukraine"), QStringLiteral("ua")},
        {QStringLiteral("USA"), QStringLiteral("us")},
    };
    return rooms;
}

QIcon CountryFlag(const QString& flagCode)
{
    const QString path = QStringLiteral(TALVESSA_FLAG_DIR "/") + flagCode + QStringLiteral(".png");
    if (flagCode.isEmpty() || !QFileInfo::exists(path))
        return QIcon();
    const QPixmap picture(path);
    return picture.isNull() ? QIcon() : QIcon(picture);
}
