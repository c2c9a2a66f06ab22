#pragma once
#include <QString>

namespace modGlobal {

// The help documents' folder: "docs" beside the program, or, for an
// installed program without one, <prefix>/share/kortvik/docs when the
// program sits in <prefix>/bin. Falls back to the folder beside the program.
QString docsFolder();
QString docsFolderFor(const QString &programFolder);

} // namespace modGlobal
