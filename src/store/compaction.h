// Compaction of blog files: a compacted copy (every table rewritten without the
// space of deleted and changed rows, the indexes rebuilt) and compaction in
// place. Both work on a file that no connection of ours holds open.
//
// The copy is made in a temporary file beside its target, synced, and renamed
// over the target, so a reader sees either the old file or the whole new one;
// the blog file being compacted is never missing from disk.
#pragma once

#include <string>

#include "store/progress_handlers.h"

namespace tessary::store {

// Writes a compacted copy of the blog file `source` to `target`, replacing a
// file of that name. Progress runs from 0 to 100 %. Raises StoreError naming
// the files when the source cannot be read or the copy cannot be written; the
// target is then as it was and no temporary file is left.
void writeCompactedCopy(const std::string& source, const std::string& target, const ProgressHandlers& handlers);

// Compacts the blog file in place: a compacted copy to fileName + ".tmp", then
// a rename over fileName. Raises StoreError as writeCompactedCopy.
void compactInPlace(const std::string& fileName, const ProgressHandlers& handlers);

// Flushes a file, or the entries of a folder, to the disk. Errors are ignored:
// this only narrows the window in which a crash could lose the rename.
void syncFileToDisk(const std::string& path);
void syncFolderToDisk(const std::string& folder);

}  // namespace tessary::store
