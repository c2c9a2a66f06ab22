#pragma once
#include <QString>

#include <optional>

// The settings file "Config.ini" in the program's folder, or under
// $XDG_CONFIG_HOME/kortvik/ for an installed program and when that folder
// cannot be written.
namespace modSettings {

// Program folder (the first "/source/" replaced by "/") + fileName.
QString appFilePath(const QString &fileName);
// Creates the file, empty, when it does not exist.
void ensureSettingsFile(const QString &fileName);
// The value, at most 254 characters; the default only when the key, the
// section or the file is missing. Never throws.
QString readSetting(const QString &section, const QString &key, const QString &defaultValue);
// As readSetting, but nullopt when the settings file cannot be created or read.
std::optional<QString> tryReadSetting(const QString &section, const QString &key,
                                      const QString &defaultValue);
// Stores the value; failures are not reported, and never leave a broken file.
void writeSetting(const QString &section, const QString &key, const QString &value);
// The full path of Config.ini in force (program folder or the XDG fallback).
QString settingsFilePath();

// appFilePath's rule for a given folder: folder + "/" with the first
// "/source/" (case-sensitive) replaced by "/", then fileName.
QString appFilePathIn(const QString &programFolder, const QString &fileName);
// The shared data of an installed program: <prefix>/share/kortvik for a
// program in <prefix>/bin (after the "/source/" rule) that finds its help
// documents there and has none beside it; "" for a build tree or a copy
// that carries its own. An installed program never writes beside itself.
QString installedDataFolderIn(const QString &programFolder);
// The running program's folder (or the override), before the "/source/" rule.
QString programFolder();
// Makes the program treat folder as its own folder (tests, tools);
// an empty folder goes back to the running executable's.
void overrideProgramFolder(const QString &folder);

// A stored secret as it is written to one INI line: text that a line could
// not carry unchanged (NUL, CR, LF, a leading or trailing blank, tab or double
// quote, or a text that itself starts with "hex:") becomes "hex:" followed
// by two hex digits per cp1252 byte; anything else is stored as it is.
QString encodeStoredValue(const QString &raw);
// The inverse: "hex:" + an even, non-empty run of hex digits gives those
// bytes as cp1252 text; any other value is taken as the raw characters.
QString decodeStoredValue(const QString &stored);

} // namespace modSettings
