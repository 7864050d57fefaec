// The site map (sitemap.xml) that tells search engines every page of the site
// and when each last changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "util/date_time.h"

namespace tessary::generator {

struct SitemapPage {
  std::string name;         // the file name in the output folder
  util::DateTime lastmod{};  // the zero date: no lastmod
};

// True for an absolute http:// or https:// address with a host.
bool isAbsoluteWebAddress(std::string_view address);

// The sitemap document: one <url> per page, its <loc> the address (ending in
// "/" or given one) followed by the page's name, percent-encoded where an
// address needs it; <lastmod> as yyyy-mm-dd when the page has a date.
std::string sitemapXml(std::string_view address, const std::vector<SitemapPage>& pages);

}  // namespace tessary::generator
