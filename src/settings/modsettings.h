#pragma once
#include <QString>

#include <optional>

// The settings file "Config.ini" in the program's folder, or under
// $XDG_CONFIG_HOME/kortvik/ when that folder cannot be written.
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

} // namespace modSettings
