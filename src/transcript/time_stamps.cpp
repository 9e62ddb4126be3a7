#include "transcript/time_stamps.h"

#include "common/program_settings.h"

#include <QDateTime>

namespace {

const QString kSettingKey = QStringLiteral("transcript/timeStamps");

QString SettingText(TimeStampFormat format)
{
    switch (format) {
    case TimeStampFormat::Off:
        return QStringLiteral("off");
    case TimeStampFormat::Seconds:
        return QStringLiteral("hh:mm:ss");
    case TimeStampFormat::Minutes:
        break;
    }
    return QStringLiteral("hh:mm");
}

}  // namespace

QString TimeStampText(qint64 msecsSinceEpoch, TimeStampFormat format)
{
    if (format == TimeStampFormat::Off)
        return QString();
    const QTime time = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).time();
    return u'[' + time.toString(format == TimeStampFormat::Seconds ? QStringLiteral("HH:mm:ss")
                                                                   : QStringLiteral("HH:mm")) +
           QStringLiteral("] ");
}

TimeStampSetting& TimeStampSetting::Instance()
{
    static TimeStampSetting* setting = new TimeStampSetting;  // lives as long as the program
    return *setting;
}

TimeStampSetting::TimeStampSetting()
{
    const QString kept = ProgramSettings().value(kSettingKey, SettingText(format_)).toString();
    for (const TimeStampFormat format : {TimeStampFormat::Off, TimeStampFormat::Minutes, TimeStampFormat::Seconds})
        if (kept == SettingText(format))
            format_ = format;
}

void TimeStampSetting::SetFormat(TimeStampFormat format)
{
    QSettings settings = ProgramSettings();
    settings.setValue(kSettingKey, SettingText(format));
    if (format == format_)
        return;
    format_ = format;
    emit Changed(format);
}
