#include "app/opt_rss.h"

#include "app/opt_texts.h"

namespace tessary::app {

using namespace opttexts;

namespace {
constexpr int32_t kLargeCounts[] = {50, 75, 100};
}

int rssItemsIndex(int32_t value) {
  if (value >= 1 && value <= 25) return value - 1;
  for (int i = 0; i < 3; ++i)
    if (value == kLargeCounts[i]) return 25 + i;
  return 24;
}

int32_t rssItemsValue(int index) {
  if (index >= 25 && index < 28) return kLargeCounts[index - 25];
  return std::clamp(index, 0, 24) + 1;
}

TOptRssForm::TOptRssForm(QWidget* owner)
    : BlogOptionsDialog(owner, kRssTitle, kTopicRss, QSize(667, 440), QSize(520, 360)) {
  bindText(402, kRss20PageName);
  bindText(401, kRss091PageName);
  bindCheck(412, {}, kSuppressRss091);
  bindText(403, kRssChannelTitle);
  bindText(404, kRssChannelLink);
  bindList(410, kRssItemText, itemList(kRssItemTextItems));

  auto* items = new QComboBox(fieldArea());
  items->addItems(numberItems(25) << "50" << "75" << "100");
  fitList(items);
  bind(
      411, items,
      [items](const store::BlogOptionsRec& rec) { items->setCurrentIndex(rssItemsIndex(rec.RSSItemEntries)); },
      [items](store::BlogOptionsRec& rec) { rec.RSSItemEntries = rssItemsValue(items->currentIndex()); });
  addRow(kItemsToInclude, items);

  QPlainTextEdit* description = bindMemo(409, kRssChannelDescription);
  description->setMinimumHeight(80);
  grid()->setRowStretch(grid()->rowCount() - 1, 1);
}

}  // namespace tessary::app
