// Where the desktop program keeps its files: the program folder is the
// executable's folder when that is writable (a build tree, a portable copy),
// otherwise the per-user data folder, which is created on first start with the
// built-in template package written into it as "@default.tem". A program
// installed under /usr always uses the per-user folder.
#pragma once

#include <QString>

namespace tessary::app {

// True when a file can be created in the folder (tried, then removed).
bool folderIsWritable(const QString& folder);

// The program folder for an executable in `executableFolder`; `userDataFolder`
// is the fall-back (QStandardPaths::AppDataLocation in the program).
QString chooseProgramFolder(const QString& executableFolder, const QString& userDataFolder);

// Writes "@default.tem" from the built-in package when the folder has none.
// Returns false when it could not be written.
bool ensureDefaultTemplate(const QString& programFolder);

}  // namespace tessary::app
