#include "app/opt_basic.h"

#include "app/opt_texts.h"

namespace tessary::app {

using namespace opttexts;

TOptBasicForm::TOptBasicForm(QWidget* owner)
    : BlogOptionsDialog(owner, kBasicTitle, kTopicBasic, QSize(667, 452), QSize(520, 360)) {
  bindText(101, kBlogTitle);
  bindText(102, kBlogUrl);
  addHint(kBlogUrlHint);
  // Stored as the number of entries minus one: the item index.
  bindList(103, kIndexEntries, numberItems(25));
  addHint(kIndexEntriesHint);
  bindList(104, kArchiveByDate, itemList(kArchiveByDateItems));
  bindList(114, kArchiveByCategory, itemList(kArchiveByCategoryItems));
  bindList(106, kEntryDateFormat, itemList(kEntryDateFormatItems));
  bindText(107, kSiteLanguage);
  addHint(kSiteLanguageHint);
  // "About my Blog" takes the whole width and the rest of the height.
  QPlainTextEdit* about = bindMemo(105, {});
  about->setAccessibleName(kAboutMyBlog);
  about->setMinimumHeight(80);
  auto* label = new QLabel(kAboutMyBlog, fieldArea());
  label->setBuddy(about);
  const int row = grid()->rowCount() - 1;
  grid()->removeWidget(about);
  grid()->addWidget(label, row, 0, 1, 2);
  grid()->addWidget(about, row + 1, 0, 1, 2);
  grid()->setRowStretch(row + 1, 1);
}

}  // namespace tessary::app
