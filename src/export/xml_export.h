// The XML document of a blog's entries: a root element holding one element per
// entry with its eighteen fields, newest entry first. Lines end with CR LF and
// are indented with tabs; texts are UTF-8 and escaped; there is no declaration.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "store/blog_rec.h"
#include "store/table.h"

namespace tessary::export_ {

// A text value as the document holds it: UTF-8; & < > " ' as entities; CR and
// LF removed (with nothing in their place). Characters that XML 1.0 does not
// allow in a document (the other control characters) are removed as well.
std::string xmlEscape(std::string_view text);
void appendXmlEscaped(std::string& out, std::string_view text);

// "yyyy/mm/dd hh:nn:ss", hours from 0 to 23.
std::string xmlDateTime(util::DateTime value);

// Looks up the title of a category by its key; empty when the key is not above
// 0 or no category has it.
using CategoryTitleLookup = std::function<std::string(int32_t key)>;

// Appends the element of one entry.
void appendEntryElement(std::string& out, const store::BlogRec& rec, const CategoryTitleLookup& categoryTitle);

// The whole document: tblBlog walked from its first row, categories looked up
// by key search in tblCategory. progress(n) runs after the n-th entry. A blog
// file without the two alternate category columns gives empty elements for
// them; a file without any other column of tblBlog raises StoreError.
std::string buildXmlDocument(store::Table& tblBlog, store::Table& tblCategory,
                             const std::function<void(int)>& progress = {});

}  // namespace tessary::export_
