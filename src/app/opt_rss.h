// RSS Options: the feeds' file names, the channel's title, link and
// description, what an item shows and how many items a feed holds (401 to 499).
#pragma once

#include "app/opt_common.h"

namespace tessary::app {

class TOptRssForm : public BlogOptionsDialog {
  Q_OBJECT
 public:
  explicit TOptRssForm(QWidget* owner);
};

// "Items to Include": the item that shows a stored number of feed items (1 to
// 25, 50, 75, 100 select theirs, any other value the item "25"), and the number
// an item stands for.
int rssItemsIndex(int32_t value);
int32_t rssItemsValue(int index);

}  // namespace tessary::app
