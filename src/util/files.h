// File system helpers. Output files are written atomically: a temporary file in
// the same folder, then a rename, so a reader never sees half a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/status.h"

namespace tessary::util {

// True when the name can be a file in a folder we write: not empty, no "/" or
// "\", not "." or "..", no NUL and no other control character.
bool isBareFileName(std::string_view name);

bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);
// Size in bytes, or -1 when the file cannot be examined.
int64_t fileSize(const std::string& path);

// Creates the folder and its parents. Returns an error naming the folder.
Status createDirectories(const std::string& path);

// Reads the whole file. Refuses files larger than maxBytes.
Status readFile(const std::string& path, std::string& out, uint64_t maxBytes = UINT64_MAX);
// Writes bytes to path through a temporary file in the same folder and a rename.
Status writeFileAtomic(const std::string& path, std::string_view bytes);
// The two halves of writeFileAtomic, for a writer that fills files ahead and
// puts them in place in an order of its own. writeTemporaryFile writes the
// bytes to a new temporary file beside path and names it in `temporary` (empty,
// and nothing left behind, on failure); putTemporaryInPlace renames it over
// path (and removes it when that fails).
Status writeTemporaryFile(const std::string& path, std::string_view bytes, std::string& temporary);
Status putTemporaryInPlace(const std::string& temporary, const std::string& path);
// Copies a file atomically (temporary file, then rename).
Status copyFileAtomic(const std::string& from, const std::string& to);
Status removeFile(const std::string& path);
Status renameFile(const std::string& from, const std::string& to);

// True when the name is one writeFileAtomic and copyFileAtomic give their
// temporary files: "." + the file's name + ".tmp" + eight hexadecimal digits.
bool isTemporaryLeftover(std::string_view name);
// Deletes the plain files of the folder whose names are temporary leftovers
// (what a process killed between writing and renaming leaves behind); returns
// the names deleted, sorted. Nothing else in the folder is touched.
std::vector<std::string> removeTemporaryLeftovers(const std::string& folder);

// Path helpers on "/"-separated paths.
std::string joinPath(std::string_view folder, std::string_view name);
std::string fileNameOf(std::string_view path);        // "a/b.c" -> "b.c"
std::string folderOf(std::string_view path);          // "a/b.c" -> "a" ("." for a bare name)
std::string extensionOf(std::string_view path);       // "a/b.c" -> ".c", "" when none
std::string changeExtension(std::string_view path, std::string_view ext);  // ext with its dot
std::string absolutePath(std::string_view path);

// Names of the plain files in a folder, sorted; empty when it cannot be read.
std::vector<std::string> listFiles(const std::string& folder);

std::string errnoText(int err);

}  // namespace tessary::util
