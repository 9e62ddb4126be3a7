#pragma once
// The program's one settings file, "layout.conf" in its folder below the
// desktop's configuration location (~/.config/Talvessa/layout.conf): the
// frame's place and last server, and the TLS switch per host.
#include <QSettings>
#include <QString>

// The settings file's path.
QString ProgramSettingsFile();

// Where older versions kept the TLS switch: the desktop's default file for
// a program that names no organisation (~/.config/Unknown Organization/Talvessa.conf).
QString OldProgramSettingsFile();

// The settings, read from and written to the one file. Settings still in
// the old file are taken over first (what the new file holds already stays),
// and the old file is removed, so nothing kept before is lost.
QSettings ProgramSettings();
