#pragma once

#include <QObject>
#include <QString>

// How transcripts show the time of each line: not at all, "[HH:MM] " or
// "[HH:MM:SS] " in grey before the line.
enum class TimeStampFormat { Off, Minutes, Seconds };

// The time stamp of a line as shown (with its trailing space); empty when off.
QString TimeStampText(qint64 msecsSinceEpoch, TimeStampFormat format);

// The user's choice, shared by every transcript and kept in the program's
// settings between runs.
class TimeStampSetting : public QObject {
    Q_OBJECT

public:
    static TimeStampSetting& Instance();

    TimeStampFormat Format() const { return format_; }
    // Remembers the choice and tells every transcript.
    void SetFormat(TimeStampFormat format);

signals:
    void Changed(TimeStampFormat format);

private:
    TimeStampSetting();
    TimeStampFormat format_ = TimeStampFormat::Minutes;
};
