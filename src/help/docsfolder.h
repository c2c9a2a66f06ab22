#pragma once
#include <QString>

namespace modGlobal {

// The help documents' folder: "docs" in the program's folder (with the
// first "/source/" taken out, as for the settings file), or, for an
// installed program without one, <prefix>/share/kortvik/docs when the
// program sits in <prefix>/bin. Falls back to the folder beside the program.
QString docsFolder();
QString docsFolderFor(const QString &programFolder);

// Full path of the file called name in the documents folder, or "" when
// there is no such file.
QString helpDocPath(const QString &name);
// The document of a tree path ("Rot", "Rot/Vanligt"): path + ".rtf", else
// path + "/default.rtf", else "".
QString helpDocument(const QString &path);

} // namespace modGlobal
