#pragma once
#include <QString>
#include <QStringList>

// "Starta Kortvik när jag loggar in på datorn": the desktop's autostart
// entry $XDG_CONFIG_HOME/autostart/org.kortvik.Kortvik.desktop.
namespace autostart {

QString entryPath();
// The entry is there (whatever wrote it).
bool isOn();

// The entry's Exec line for a command (program first), quoted as the
// freedesktop.org desktop entry format asks.
QString execLine(const QStringList &command);
// The whole entry.
QByteArray entryText(const QStringList &command);

// Writes the entry (atomically) or removes it. False with a Swedish line in
// *why when the folder or the file cannot be written.
bool turnOn(const QStringList &command, QString *why);
bool turnOff(QString *why);

} // namespace autostart
