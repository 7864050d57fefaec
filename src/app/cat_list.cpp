#include "app/cat_list.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "app/texts.h"
#include "store/entries.h"

namespace tessary::app {

TCategoryListForm::TCategoryListForm(QWidget* owner, store::BlogDb& blog)
    : TablePickerFrame(owner, blog,
                       new TableGridModel(blog, kTableCategory,
                                             {{texts::kColCategoryTitle, "CategoryTitle", 250},
                                              {texts::kColCategoryPageName, "CategoryName", 150}},
                                             {}),
                       texts::kCategoryList, texts::kCategoryList, texts::kTopicEntriesCategoryList,
                       {texts::kClose, texts::kHelp}) {
  auto* l = new QVBoxLayout(body());
  // The grid runs to 8 pixels from the right and the bottom edge.
  l->setContentsMargins(8, 8, 8, 8);
  l->setSpacing(8);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(8);
  auto make = [this, buttons](const char* caption) {
    auto* b = new QPushButton(caption, body());
    b->setAccessibleName(caption);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  add_ = make(texts::kAddCategory);
  edit_ = make(texts::kEditCategory);
  remove_ = make(texts::kRemoveCategory);
  buttons->addStretch(1);
  l->addLayout(buttons);
  l->addWidget(grid(), 1);

  connect(add_, &QPushButton::clicked, this, [this] { run(store::AddCategory); });
  connect(edit_, &QPushButton::clicked, this, [this] { run(store::EditCategory); });
  connect(remove_, &QPushButton::clicked, this, [this] { run(store::RemoveCategory); });
  connect(bandButton(texts::kClose), &QPushButton::clicked, this, [this] { cancel(); });
  fixSize({592, 366});
}

void TCategoryListForm::run(bool (*command)(store::BlogDb&)) {
  guarded([this, command] { command(blog_); });
  refresh();
  grid()->setFocus();
}

void TCategoryListForm::rowDoubleClicked() { run(store::EditCategory); }

void TCategoryListForm::applyFonts(const DisplayFont& form, const DisplayFont& lists) {
  applyDisplayFont(this, form);
  applyDisplayFont(grid(), lists);
  grid()->verticalHeader()->setDefaultSectionSize(QFontMetrics(lists.font).height() + 8);
}

}  // namespace tessary::app
