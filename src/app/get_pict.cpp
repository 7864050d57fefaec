#include "app/get_pict.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/file_dialogs.h"
#include "store/entries.h"
#include "store/media.h"

namespace tessary::app {

namespace {

QLineEdit* numberField(QWidget* parent, const QString& name, const QString& start) {
  auto* e = new QLineEdit(start, parent);
  e->setAccessibleName(name);
  e->setMaxLength(9);
  return e;
}

}  // namespace

TGetPictureForm::TGetPictureForm(QWidget* owner, store::BlogDb& blog)
    : TablePickerFrame(owner, blog, new TableGridModel(blog, kTablePictures,
                                          {{texts::kColPictureName, "BlogPictureName", 300},
                                           {texts::kColDateAdded, "BlogPictureDate", 150},
                                           {texts::kColPictureSizePicker, "BlogPictureSize", 80}}), texts::kInsertAPicture,
                       texts::kInsertPictureBand, texts::kTopicPictures,
                       {texts::kInsert, texts::kCancel, texts::kHelp}) {
  auto* l = new QVBoxLayout(body());
  l->setContentsMargins(0, 0, 0, 8);
  l->setSpacing(6);
  l->addWidget(gridWithAddButton(texts::kAddPictureHint,
                                 [this] {
                                   const QString f = askFileToOpen(this, texts::kAddPicture, texts::kFilterC,
                                                                  QString::fromStdString(blog_.programFolder()));
                                   if (!f.isEmpty()) store::AddBlogPicture(blog_, f.toStdString());
                                 }),
               1);

  auto* fields = new QGridLayout;
  fields->setContentsMargins(8, 0, 8, 0);
  fields->setHorizontalSpacing(8);
  fields->setVerticalSpacing(4);
  auto label = [this](const QString& text, QWidget* buddy) {
    auto* lab = new QLabel(text, body());
    lab->setBuddy(buddy);
    return lab;
  };
  alt_ = new QLineEdit(body());
  alt_->setAccessibleName(texts::kAltText);
  height_ = numberField(body(), texts::kPickerHeight, {});
  width_ = numberField(body(), texts::kPickerWidth, {});
  hspace_ = numberField(body(), texts::kHSpace, QStringLiteral("0"));
  vspace_ = numberField(body(), texts::kVSpace, QStringLiteral("0"));
  storedHeight_ = numberField(body(), texts::kStoredHeight, {});
  storedWidth_ = numberField(body(), texts::kStoredWidth, {});
  // Shown, not typed in: drawn on the window's colour.
  for (QLineEdit* e : {storedHeight_, storedWidth_}) {
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    e->setPalette(pal);
  }
  fields->addWidget(label(texts::kAltText, alt_), 0, 0);
  fields->addWidget(alt_, 0, 1, 1, 5);
  fields->addWidget(label(texts::kPickerHeight, height_), 1, 0);
  fields->addWidget(height_, 1, 1);
  fields->addWidget(label(texts::kPickerWidth, width_), 1, 2);
  fields->addWidget(width_, 1, 3);
  fields->addWidget(label(texts::kStoredHeight, storedHeight_), 1, 4);
  fields->addWidget(storedHeight_, 1, 5);
  fields->addWidget(label(texts::kHSpace, hspace_), 2, 0);
  fields->addWidget(hspace_, 2, 1);
  fields->addWidget(label(texts::kVSpace, vspace_), 2, 2);
  fields->addWidget(vspace_, 2, 3);
  fields->addWidget(label(texts::kStoredWidth, storedWidth_), 2, 4);
  fields->addWidget(storedWidth_, 2, 5);

  // Six choices in three columns, filled column by column.
  auto* box = new QGroupBox(texts::kAlign, body());
  box->setAccessibleName(texts::kAlign);
  auto* bl = new QGridLayout(box);
  bl->setContentsMargins(8, 4, 8, 4);
  bl->setVerticalSpacing(2);
  align_ = new QButtonGroup(this);
  const char* choices[] = {texts::kAlignNone, texts::kAlignLeft,   texts::kAlignRight,
                           texts::kAlignTop,  texts::kAlignMiddle, texts::kAlignBottom};
  for (int i = 0; i < 6; ++i) {
    auto* r = new QRadioButton(choices[i], box);
    r->setAccessibleName(choices[i]);
    align_->addButton(r, i);
    bl->addWidget(r, i % 2, i / 2);
  }
  align_->button(0)->setChecked(true);
  fields->addWidget(box, 0, 6, 3, 1);
  fields->setColumnStretch(1, 1);
  fields->setColumnStretch(3, 1);
  fields->setColumnStretch(5, 1);
  l->addLayout(fields);

  insertButton()->setDefault(true);
  connect(insertButton(), &QPushButton::clicked, this, [this] { acceptIfRow(); });
  connect(bandButton(texts::kCancel), &QPushButton::clicked, this, [this] { cancel(); });
  fixSize({624, 343});
}

void TGetPictureForm::currentRowChanged() {
  store::Table& t = blog_.tblPictures();
  const bool has = t.isOpen() && store::hasCurrentRow(t);
  storedHeight_->setText(has ? QString::number(t.asInteger("BlogPictureHeight")) : QString());
  storedWidth_->setText(has ? QString::number(t.asInteger("BlogPictureWidth")) : QString());
}

std::optional<PictureChoice> TGetPictureForm::choice() const {
  store::Table& t = blog_.tblPictures();
  if (!t.isOpen() || !store::hasCurrentRow(t)) return std::nullopt;
  PictureChoice p;
  p.name = t.asString("BlogPictureName");
  p.storedHeight = t.asInteger("BlogPictureHeight");
  p.storedWidth = t.asInteger("BlogPictureWidth");
  p.altText = alt_->text().toStdString();
  p.align = std::max(0, align_->checkedId());
  p.height = wholeNumberOr(height_->text(), -1);
  p.width = wholeNumberOr(width_->text(), -1);
  p.hspace = wholeNumberOr(hspace_->text(), 0);
  p.vspace = wholeNumberOr(vspace_->text(), 0);
  return p;
}

}  // namespace tessary::app
