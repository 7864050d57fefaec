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

// Copies each template package (*.tem) of `shippedFolder` (where an installed
// program keeps its packages) into the program folder when that has none of the
// name: a package the user changed keeps the changes, one removed comes back at
// the next start. Returns false when a copy failed.
bool ensureShippedTemplates(const QString& programFolder, const QString& shippedFolder);

// The folder of the installed template packages for an executable in
// `executableFolder`: <prefix>/share/tessary/templates beside <prefix>/bin.
QString shippedTemplateFolder(const QString& executableFolder);

}  // namespace tessary::app
