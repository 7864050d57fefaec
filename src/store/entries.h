// Entries (rows of tblBlog) and categories (rows of tblCategory): the store's
// add, edit and remove operations as the main window, the category list and the
// category picker start them. Each works on the current row of its table and
// talks to the user only through the blog's UserInterface: the entry editor runs
// on a copy of a BlogRec (in category mode for categories) and only its Save
// changes the blog file.
#pragma once

#include <string>

#include "store/blog_db.h"
#include "store/blog_rec.h"

namespace tessary::store {

inline constexpr int kMaxCategories = 500;

// The entry of the current row of tblBlog, all eighteen columns (null reads as
// empty text or 0). REQUIRES: tblBlog has a current row.
BlogRec readBlogRec(Table& tblBlog);
// Writes every field except BlogKey into the row being edited or inserted.
void writeBlogRec(Table& tblBlog, const BlogRec& rec);
// The category of the current row of tblCategory carried in a BlogRec (type 1).
BlogRec readCategoryRec(Table& tblCategory);
// Writes the mapped fields (not CategoryKey) into the row being edited or inserted.
void writeCategoryRec(Table& tblCategory, const BlogRec& rec);

// True for the entry types that get a page of their own and so a page name
// (article, static, hidden, redirect and free-format pages).
bool hasPageName(int32_t pageType);
// What the entry editor's Save does to the page name: for types with a page a
// name shorter than 2 characters becomes the current time as "yyyymmddhhnnss";
// for the others it is emptied.
void applyEntrySaveRules(BlogRec& rec);

// Each returns true when the blog file was changed, false when nothing was done
// (empty table, Cancel, the category limit). Store failures raise StoreError.
// After AddEntry and AddCategory the new row is current.
bool AddEntry(BlogDb& blog);
bool EditEntry(BlogDb& blog);
bool RemoveEntry(BlogDb& blog);
bool AddCategory(BlogDb& blog);
bool EditCategory(BlogDb& blog);
// Counts the entries whose BlogCategory is the category, asks, then deletes the
// category and clears it from those entries in one transaction: if the clearing
// fails the category is kept. BlogCategory2 and BlogCategory3 are not touched.
bool RemoveCategory(BlogDb& blog);

// True when the table has a row the user could have selected. A walk that ran
// off the end (eof) still leaves its last row current.
inline bool hasCurrentRow(Table& t) { return !t.isEmpty() && t.currentRowId() != 0; }

// Makes the entry or category with that key current; false when there is none.
bool findEntry(BlogDb& blog, int32_t blogKey);
bool findCategory(BlogDb& blog, int32_t categoryKey);

}  // namespace tessary::store
