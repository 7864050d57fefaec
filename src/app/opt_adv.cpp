#include "app/opt_adv.h"

#include "app/opt_texts.h"

namespace tessary::app {

using namespace opttexts;

TOptAdvForm::TOptAdvForm(QWidget* owner)
    : BlogOptionsDialog(owner, kAdvancedTitle, kTopicAdvanced, QSize(631, 455), QSize(520, 432)) {
  // A section whose only control is a list names the list.
  addSection(kFormattingOfEntries);
  bindList(201, {}, itemList(kFormattingItems))->setAccessibleName(kFormattingOfEntries);
  addSection(kPageNameExtension);
  bindList(202, {}, itemList(kExtensionItems))->setAccessibleName(kPageNameExtension);
  bindText(203, kPageNamePrefix);

  addSection(kHomePageName);
  bindText(241, kWebPageName);
  bindText(242, kLinkCaption);
  bindCheck(245, {}, kShowRecentOnHome);

  addSection(kRecentEntriesPageName);
  bindText(246, kWebPageName);
  bindText(247, kLinkCaption);
  bindText(248, kRecentPageTitle);
  bindCheck(249, {}, kRecentInNavBar);

  addSection(kArchiveIndexPageName);
  bindText(251, kWebPageName);
  bindText(252, kLinkCaption);
  bindText(253, kTitleArchiveByMonth);
  bindText(254, kTitleDaily);
  bindText(255, kTitleWeekly);
  bindCheck(256, {}, kArchiveDefaultDescription);

  addSection(kArticleIndexPageName);
  bindText(261, kWebPageName);
  bindText(262, kLinkCaption);
  bindText(264, kTitleArticleIndex);
  bindList(268, kListStyle, itemList(kListStyleItems));
  bindCheck(265, {}, kArticleIndexInNavBar);
  bindCheck(266, {}, kArticlesGrouped);
  bindCheck(267, {}, kArticleTeasers);

  addSection(kCategoryIndexPageName);
  bindText(271, kWebPageName);
  bindText(272, kLinkCaption);
  bindText(273, kTitleCategoryIndex);
  bindList(276, kListStyle, itemList(kListStyleItems));
  bindCheck(274, {}, kCategoryIndexInNavBar);
  bindCheck(275, {}, kCategoryTeasers);

  addSection(kArticleUrls);
  bindText(263, kLinkCaption);
  addSection(kCoolUrls);
  bindText(214, kLinkCaption);
  addSection(kParentSite);
  bindText(291, kUrl);
  bindText(290, kLinkCaption);
  grid()->setRowStretch(grid()->rowCount(), 1);
}

}  // namespace tessary::app
