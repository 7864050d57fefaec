#include "generator/sitemap.h"

#include "generator/rss.h"
#include "util/text.h"

namespace tessary::generator {

namespace {

// The characters a path keeps as they are; every other byte is written %XX.
bool keptInPath(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-._~!$()*+,;=:@/").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

bool isAbsoluteWebAddress(std::string_view address) {
  const std::string a = util::trim(std::string(address));
  for (std::string_view scheme : {"http://", "https://"}) {
    if (a.size() > scheme.size() && util::startsWithNoCase(a, scheme)) {
      const char host = a[scheme.size()];
      return host != '/' && host != ' ' && host != '?' && host != '#';
    }
  }
  return false;
}

std::string sitemapXml(std::string_view address, const std::vector<SitemapPage>& pages) {
  std::string base = util::trim(std::string(address));
  if (base.empty() || base.back() != '/') base += '/';
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
  static const char* kHex = "0123456789ABCDEF";
  for (const SitemapPage& p : pages) {
    std::string path;
    for (unsigned char c : p.name) {
      if (keptInPath(c)) {
        path += static_cast<char>(c);
      } else {
        path += '%';
        path += kHex[c >> 4];
        path += kHex[c & 15];
      }
    }
    out += "<url><loc>" + EscapeXml(base + path) + "</loc>";
    if (p.lastmod != util::DateTime{}) out += "<lastmod>" + util::formatDateTime("yyyy-mm-dd", p.lastmod) + "</lastmod>";
    out += "</url>\n";
  }
  out += "</urlset>\n";
  return out;
}

}  // namespace tessary::generator
