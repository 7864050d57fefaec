// Arbitrary page text through FillPageTags and ResolveCommands. The bytes before
// the first NUL are the page; the rest, cut at each 0x01, are the values given to
// the page and site fields. Besides crashes and hangs, it checks that the fast
// FillPageTags gives exactly the result of the plain sequence of replacements.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "templates/tag_engine.h"

using namespace tessary::templates;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool pinned = [] {
    SetRandomSource([] { return 4711u; });
    return true;
  }();
  (void)pinned;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const size_t nul = bytes.find('\0');
  const std::string page(bytes.substr(0, nul));
  std::vector<std::string> values;
  if (nul != std::string_view::npos) {
    std::string_view rest = bytes.substr(nul + 1);
    for (;;) {
      const size_t cut = rest.find('\x01');
      values.emplace_back(rest.substr(0, cut));
      if (cut == std::string_view::npos) break;
      rest.remove_prefix(cut + 1);
    }
  }
  size_t next = 0;
  auto value = [&] { return values.empty() ? std::string() : values[next++ % values.size()]; };

  templateGlobalVars g;
  templateEntryVars e;
  templatePageVars p;
  for (std::string* f : {&p.PageTitle, &p.PageMenuTree, &p.PriorLink, &p.NextLink, &p.ParentLink, &g.MainTitle,
                         &g.MainAbout, &g.NavbarColumn, &g.MonthLinksColumn, &g.HomeLink, &g.CustomTag1,
                         &g.CustomTag2, &g.CategoryLinksRow, &g.RecentLink, &e.CatTitle})
    *f = value();
  p.PageKind = values.empty() ? 0 : static_cast<int32_t>(values.size() % 9);

  const std::string filled = FillPageTags(page, g, e, p);
  if (filled != FillPageTagsInOrder(page, g, e, p)) __builtin_trap();
  const std::string finished = ResolveCommands(filled);
  (void)EvaluateCommand(page, finished);
  return 0;
}
