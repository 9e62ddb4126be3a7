#include "common/program_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Copies the keys of the old file that the new one lacks, then removes the old file.
void TakeOverOldSettings()
{
    const QString oldPath = OldProgramSettingsFile();
    if (!QFile::exists(oldPath)) return;
    QSettings settings(ProgramSettingsFile(), QSettings::IniFormat);
    {
        const QSettings old(oldPath, QSettings::IniFormat);
        const QStringList keys = old.allKeys();
        for (const QString& key : keys)
            if (!settings.contains(key)) settings.setValue(key, old.value(key));
    }
    settings.sync();
    if (settings.status() != QSettings::NoError) return;  // kept for the next start
    QFile::remove(oldPath);
    QDir().rmdir(QFileInfo(oldPath).absolutePath());  // only when nothing else is in it
}

}  // namespace

QString ProgramSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/layout.conf");
}

QString OldProgramSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Unknown Organization/") + QCoreApplication::applicationName() + QStringLiteral(".conf");
}

QSettings ProgramSettings()
{
    TakeOverOldSettings();
    return QSettings(ProgramSettingsFile(), QSettings::IniFormat);
}
