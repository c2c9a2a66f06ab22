#pragma once
// The per-user registry of in-process components: one small file per program
// identifier under $XDG_DATA_HOME/kortvik/components/, naming the class
// identifier and the library that serves it. Shared by component libraries
// (which register themselves) and by hosts (which look them up).

#include <QString>
#include <QStringList>

#include <optional>

#include "ljungbo/componentabi.h"

namespace comp {

struct ComponentRecord {
    QString progId;
    Guid clsid{};
    QString library;  // absolute path of the shared library
};

// $XDG_DATA_HOME/kortvik/components (an unset or relative XDG_DATA_HOME means
// $HOME/.local/share, as the base directory rules say).
QString registryDir();

// A program identifier is also a file name here, so only letters, digits,
// '_' and '.' are allowed, it must start with a letter, and be at most 39
// characters long.
bool isValidProgId(const QString &progId);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
QString guidToString(const Guid &guid);
std::optional<Guid> parseGuid(const QString &text);

// Writes the record atomically (a reader sees the old file or the new one).
bool writeRecord(const ComponentRecord &record, QString *error = nullptr);
// True when the record is gone afterwards (also when there was none).
bool removeRecord(const QString &progId, QString *error = nullptr);
// nullopt when not registered or when the file is not a complete record.
std::optional<ComponentRecord> readRecord(const QString &progId);
// Registered program identifiers, sorted.
QStringList registeredProgIds();

} // namespace comp
