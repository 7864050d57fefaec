// Compaction of blog files: a compacted copy (every table rewritten without the
// space of deleted and changed rows, the indexes rebuilt) and compaction in
// place. Both work on a file that no connection of ours holds open.
//
// The copy is made in a temporary file beside its target, synced, and renamed
// over the target, so a reader sees either the old file or the whole new one;
// the blog file being compacted is never missing from disk.
#pragma once

#include <functional>
#include <string>

#include "store/progress_handlers.h"

namespace tessary::store {

class BlogFileLock;

// Writes a compacted copy of the blog file `source` to `target`, replacing a
// file of that name. Progress runs from 0 to 100 %. Raises StoreError naming
// the files when the source cannot be read or the copy cannot be written; the
// target is then as it was and no temporary file is left. beforeReplace runs
// once the whole copy is on disk under target + ".tmp", just before the rename
// over target (a backup rotates its older copies there, so that a failed copy
// leaves them all in place).
void writeCompactedCopy(const std::string& source, const std::string& target, const ProgressHandlers& handlers,
                        const std::function<void()>& beforeReplace = {});

// Compacts the blog file in place: a compacted copy to fileName + ".tmp", then
// a rename over fileName. Raises StoreError as writeCompactedCopy. With a lock
// held on fileName, the lock moves to the new file with the rename.
void compactInPlace(const std::string& fileName, const ProgressHandlers& handlers, BlogFileLock* lock = nullptr);

// Flushes a file, or the entries of a folder, to the disk. Errors are ignored:
// this only narrows the window in which a crash could lose the rename.
void syncFileToDisk(const std::string& path);
void syncFolderToDisk(const std::string& folder);

}  // namespace tessary::store
