#include "app/get_cat.h"

#include <QVBoxLayout>

#include "store/entries.h"

namespace tessary::app {

TGetCategoryForm::TGetCategoryForm(QWidget* owner, store::BlogDb& blog)
    : TablePickerFrame(owner, blog,
                       new TableGridModel(blog, kTableCategory,
                                             {{texts::kColCategoryTitle, "CategoryTitle", 250},
                                              {texts::kColCategoryName, "CategoryName", 250}},
                                             {}),
                       texts::kSelectCategory, texts::kSelectCategory, texts::kTopicEntriesAddCategory,
                       {texts::kSelect, texts::kCancel, texts::kHelp}) {
  auto* l = new QVBoxLayout(body());
  l->setContentsMargins(0, 0, 0, 8);
  l->addWidget(gridWithAddButton(texts::kAddCategoryHint, [this] { store::AddCategory(blog_); }), 1);
  selectButton()->setDefault(true);
  connect(selectButton(), &QPushButton::clicked, this, [this] { acceptIfRow(); });
  connect(bandButton(texts::kCancel), &QPushButton::clicked, this, [this] { cancel(); });
  fixSize({582, 207});
}

std::optional<CategoryChoice> TGetCategoryForm::choice() const {
  store::Table& t = blog_.tblCategory();
  if (!t.isOpen() || !store::hasCurrentRow(t)) return std::nullopt;
  return CategoryChoice{t.asInteger("CategoryKey"), t.asString("CategoryTitle")};
}

}  // namespace tessary::app
