#include "app/opt_common.h"

#include <QFrame>
#include <memory>

namespace tessary::app {

namespace {

const store::OptionDef& def(int key) {
  const store::OptionDef* d = store::optionDef(key);
  Q_ASSERT(d);
  return *d;
}

QString shownText(const store::BlogOptionsRec& rec, int key) {
  return QString::fromStdString(store::optionText(rec, def(key)));
}

int32_t& integerRef(store::BlogOptionsRec& rec, int key) {
  const store::OptionDef& d = def(key);
  Q_ASSERT(d.integer);
  return rec.*d.integer;
}

}  // namespace

void fitList(QComboBox* list) {
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  const int natural = list->sizeHint().width();
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(6);
  list->setMaximumWidth(natural);
}

QStringList numberItems(int n) {
  QStringList out;
  for (int i = 1; i <= n; ++i) out << QString::number(i);
  return out;
}

BlogOptionsDialog::BlogOptionsDialog(QWidget* owner, const QString& title, const QString& helpTopic, QSize openSize,
                                     QSize minSize)
    : OptionDialogFrame(owner, title, helpTopic, openSize, minSize) {
  grid_ = new QGridLayout(fieldArea());
  grid_->setContentsMargins(16, 12, 16, 16);
  grid_->setHorizontalSpacing(10);
  grid_->setVerticalSpacing(6);
  grid_->setColumnStretch(1, 1);
}

void BlogOptionsDialog::setOptionsRec(const store::BlogOptionsRec& rec) {
  rec_ = rec;
  for (const Binding& b : bindings_) b.show(rec_);
}

store::BlogOptionsRec BlogOptionsDialog::OptionsRec() const {
  store::BlogOptionsRec out = rec_;
  for (const Binding& b : bindings_) b.read(out);
  return out;
}

std::vector<int> BlogOptionsDialog::ownedKeys() const {
  std::vector<int> keys;
  for (const Binding& b : bindings_) keys.push_back(b.key);
  return keys;
}

QWidget* BlogOptionsDialog::control(int key) const {
  for (const Binding& b : bindings_)
    if (b.key == key) return b.control;
  return nullptr;
}

int BlogOptionsDialog::addRow(const QString& label, QWidget* control, Qt::Alignment align) {
  const int row = grid_->rowCount();
  if (!label.isEmpty()) {
    auto* l = new QLabel(label, fieldArea());
    l->setBuddy(control);
    // A label beside a multi-line box stays at the box's top.
    const bool tall = qobject_cast<QPlainTextEdit*>(control) != nullptr;
    grid_->addWidget(l, row, 0, Qt::AlignLeft | (tall ? Qt::AlignTop : Qt::AlignVCenter));
    if (control->accessibleName().isEmpty()) control->setAccessibleName(label);
  }
  if (!section_.isEmpty()) control->setAccessibleDescription(section_);
  // A check box of its own takes the whole line, so a long caption does not
  // widen the window.
  if (label.isEmpty() && qobject_cast<QCheckBox*>(control)) grid_->addWidget(control, row, 0, 1, 2, align);
  else grid_->addWidget(control, row, 1, align);
  return row;
}

QLabel* BlogOptionsDialog::addHint(const QString& text) {
  auto* hint = new QLabel(text, fieldArea());
  QFont f = hint->font();
  f.setPointSizeF(f.pointSizeF() * 0.9);
  hint->setFont(f);
  hint->setAccessibleName(text);
  grid_->addWidget(hint, grid_->rowCount(), 1);
  return hint;
}

void BlogOptionsDialog::addSection(const QString& label) {
  if (sections_++ > 0) {
    auto* rule = new QFrame(fieldArea());
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid_->addWidget(rule, grid_->rowCount(), 0, 1, 2);
  }
  section_ = label;
  auto* l = new QLabel(label, fieldArea());
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  grid_->addWidget(l, grid_->rowCount(), 0, 1, 2);
}

void BlogOptionsDialog::bind(int key, QWidget* control, Show show, Read read) {
  bindings_.push_back({key, control, std::move(show), std::move(read)});
}

QLineEdit* BlogOptionsDialog::bindText(int key, const QString& label, int maxLength) {
  auto* edit = new QLineEdit(fieldArea());
  if (maxLength > 0) edit->setMaxLength(maxLength);
  // What the box showed when filled: an unedited box gives the value back as it
  // came, even when the box could not hold it as it is (too long, line breaks).
  auto shown = std::make_shared<QString>();
  bind(
      key, edit,
      [edit, key, shown](const store::BlogOptionsRec& rec) {
        edit->setText(shownText(rec, key));
        edit->setCursorPosition(0);
        *shown = edit->text();
      },
      [edit, key, shown](store::BlogOptionsRec& rec) {
        if (edit->text() != *shown) store::optionTextRef(rec, def(key)) = edit->text().toStdString();
      });
  addRow(label, edit);
  return edit;
}

QPlainTextEdit* BlogOptionsDialog::bindMemo(int key, const QString& label) {
  auto* edit = new QPlainTextEdit(fieldArea());
  edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  edit->setTabChangesFocus(true);
  auto shown = std::make_shared<QString>();
  bind(
      key, edit,
      [edit, key, shown](const store::BlogOptionsRec& rec) {
        edit->setPlainText(shownText(rec, key));
        *shown = edit->toPlainText();
      },
      [edit, key, shown](store::BlogOptionsRec& rec) {
        if (edit->toPlainText() != *shown) store::optionTextRef(rec, def(key)) = edit->toPlainText().toStdString();
      });
  addRow(label, edit);
  return edit;
}

QComboBox* BlogOptionsDialog::bindList(int key, const QString& label, const QStringList& items) {
  auto* list = new QComboBox(fieldArea());
  list->addItems(items);
  fitList(list);
  bind(
      key, list,
      [list, key](const store::BlogOptionsRec& rec) {
        const int32_t v = store::optionInteger(rec, def(key));
        list->setCurrentIndex(v >= 0 && v < list->count() ? v : -1);
      },
      [list, key](store::BlogOptionsRec& rec) {
        if (list->currentIndex() >= 0) integerRef(rec, key) = list->currentIndex();
      });
  addRow(label, list);
  return list;
}

QCheckBox* BlogOptionsDialog::bindCheck(int key, const QString& label, const QString& caption,
                                        std::function<bool(int32_t)> shownChecked) {
  auto* box = new QCheckBox(caption, fieldArea());
  box->setAccessibleName(caption);
  if (!shownChecked) shownChecked = [](int32_t v) { return v == 1; };
  bind(
      key, box,
      [box, key, shownChecked](const store::BlogOptionsRec& rec) {
        box->setChecked(shownChecked(store::optionInteger(rec, def(key))));
      },
      [box, key](store::BlogOptionsRec& rec) { integerRef(rec, key) = box->isChecked() ? 1 : 0; });
  addRow(label, box);
  return box;
}

}  // namespace tessary::app
