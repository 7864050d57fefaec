// Pictures (tblPictures) and extra files (tblFiles): the files a blog carries so
// that one blog file holds the whole site. A picture or file is known by its
// file name without folder, compared without regard to letter case; the
// generator publishes it under that name.
//
// Adding reads and checks the whole file first, asks before replacing a stored
// one of the same name, and then replaces it in one transaction: when the new
// file cannot be stored the old row stays and the user is told why.
#pragma once

#include <cstdint>
#include <string>

#include "store/blog_db.h"

namespace tessary::store {

// The largest file a blog stores (the whole file is held in memory while it is
// compressed and written).
inline constexpr uint64_t kMaxStoredFileBytes = uint64_t{256} << 20;
// The width of BlogPictureName and BlogFileName: a longer name would be cut and
// published under another name, so it is refused.
inline constexpr size_t kMaxStoredNameChars = 120;

// Stores the picture file at path under its file name. Returns true when it was
// stored (and is the current row of tblPictures); false after Cancel or after a
// message that says why nothing was stored (not a picture, cut short, empty,
// unreadable, too large, a name that cannot be published). A whole picture is
// stored whatever its extension says; its size is read by its content.
bool AddBlogPicture(BlogDb& blog, const std::string& path);
// The same for an extra file (any content, an empty file too; no picture
// check, no size read).
bool AddBlogFile(BlogDb& blog, const std::string& path);

// Remove the current row after the question; false on an empty table or Cancel.
bool RemoveBlogPicture(BlogDb& blog);
bool RemoveBlogFile(BlogDb& blog);

// Writes the stored bytes of the current extra file to path (atomically,
// replacing a file of that name). False on an empty table; a failing write
// raises StoreError naming the path.
bool SaveBlogFileAs(BlogDb& blog, const std::string& path);
// Where the save dialog starts: the program folder and the stored name.
std::string suggestedSavePath(BlogDb& blog);

// Makes the picture or file of that name current (case-insensitive).
bool findPicture(BlogDb& blog, const std::string& name);
bool findFile(BlogDb& blog, const std::string& name);

}  // namespace tessary::store
