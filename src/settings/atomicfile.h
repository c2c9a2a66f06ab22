#pragma once
#include <QByteArray>
#include <QString>

// Whole-file writes that never leave a half-written file behind: the data
// goes to a temporary file in the same folder, is flushed to disk and only
// then takes the target's name.
namespace atomicfile {

// The permission bits replaceFile gives.
struct ReplaceModes {
    unsigned newFileMode = 0666; // a new file: this less the umask
    unsigned dropBits = 0;       // an existing file keeps its bits but these
};

// Replaces (or creates) path with data. An existing file keeps its
// permission bits (less modes.dropBits); a new one gets modes.newFileMode
// less the umask. A symbolic link is followed, so the file it points to is
// replaced and the link stays. False, with the old file untouched, when any
// step fails or the file itself may not be written.
bool replaceFile(const QString &path, const QByteArray &data, ReplaceModes modes = {});

enum class CreateResult { Created, AlreadyExists, Failed };

// Creates path with data and exactly the given permission bits, never
// replacing an existing file; the file is not readable by anyone else at
// any moment, whatever the umask. A concurrent creator that wins the race
// yields AlreadyExists.
CreateResult createFile(const QString &path, const QByteArray &data, unsigned mode);

} // namespace atomicfile
