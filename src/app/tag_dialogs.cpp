#include "app/tag_dialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/texts.h"

namespace tessary::app {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString quoted(const QString& name, const QString& value) {
  return QStringLiteral(" %1=\"%2\"").arg(name, value);
}

const char* const kAlignWords[6] = {"", "LEFT", "RIGHT", "TOP", "MIDDLE", "BOTTOM"};

}  // namespace

// ---- The texts ----------------------------------------------------------------------

int wholeNumberOr(const QString& text, int fallback) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok, 10);
  return ok ? n : fallback;
}

QString fontTagText(const QString& face, const QString& colour, const QString& size, const QString& s) {
  QString out = QStringLiteral("<FONT");
  if (!face.trimmed().isEmpty()) out += quoted("FACE", face.trimmed());
  if (!colour.trimmed().isEmpty()) out += quoted("COLOR", colour.trimmed());
  if (!size.trimmed().isEmpty()) out += quoted("SIZE", size.trimmed());
  return out + ">" + s + "</FONT>";
}

QString linkTagText(const QString& url, const QString& caption, bool newWindow) {
  QString out = "<A HREF=\"" + url.trimmed() + "\" class=\"entrylink\"";
  if (newWindow) out += QStringLiteral(" TARGET=\"_blank\"");
  return out + ">" + caption.trimmed() + "</A>";
}

QString imageTagText(const QString& file, const QString& alt, int align, const QString& hspace,
                     const QString& vspace, const QString& s) {
  QString out = "<IMG" + quoted("SRC", file.trimmed());
  if (!alt.trimmed().isEmpty()) out += quoted("ALT", alt.trimmed());
  if (align >= 1 && align <= 5) out += quoted("ALIGN", kAlignWords[align]);
  const int h = wholeNumberOr(hspace, 0);
  const int v = wholeNumberOr(vspace, 0);
  if (h != 0) out += quoted("HSPACE", QString::number(h));
  if (v != 0) out += quoted("VSPACE", QString::number(v));
  return out + ">" + s;
}

QString tableTagText(int rows, int columns, int padding, int spacing, int border, const QString& s) {
  QString out = kCrLf + QStringLiteral("<TABLE CELLPADDING=\"%1\" CELLSPACING=\"%2\" BORDER=\"%3\">")
                            .arg(padding)
                            .arg(spacing)
                            .arg(border);
  for (int r = 0; r < rows; ++r) {
    out += kCrLf + "<TR>";
    for (int c = 0; c < columns; ++c) out += kCrLf + "<TD></TD>";
    out += kCrLf + "</TR>";
  }
  return out + kCrLf + "</TABLE>" + kCrLf + s;
}

QString pictureTagText(const PictureChoice& p, const QString& s) {
  QString out = "<IMG SRC=\"" + QString::fromStdString(p.name) + "\"";
  if (!p.altText.empty()) out += quoted("ALT", QString::fromStdString(p.altText));
  if (p.align >= 1 && p.align <= 5) out += QStringLiteral(" ALIGN=%1").arg(kAlignWords[p.align]);
  const int height = p.height > 0 ? p.height : p.storedHeight;
  const int width = p.width > 0 ? p.width : p.storedWidth;
  if (height > 0) out += QStringLiteral(" HEIGHT=%1").arg(height);
  if (width > 0) out += QStringLiteral(" WIDTH=%1").arg(width);
  if (p.hspace != 0) out += quoted("HSPACE", QString::number(p.hspace));
  if (p.vspace != 0) out += quoted("VSPACE", QString::number(p.vspace));
  return out + ">" + s;
}

QString fileTagText(const FileChoice& f, const QString& s) {
  const QString name = QString::fromStdString(f.name);
  const QString text = f.linkText.empty() ? name : QString::fromStdString(f.linkText);
  return "<A HREF=\"" + name + "\" class=\"entrylink\">" + text + "</A>" + s;
}

// ---- The frame ----------------------------------------------------------------------

TagDialog::TagDialog(QWidget* owner, const QString& title, QWidget* centreOver)
    : QDialog(owner), centreOver_(centreOver) {
  setWindowTitle(title);
  setAccessibleName(title);
  setModal(true);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(14, 14, 14, 12);
  outer->setSpacing(12);
  form_ = new QFormLayout;
  form_->setHorizontalSpacing(10);
  form_->setVerticalSpacing(8);
  form_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  outer->addLayout(form_);
  outer->addStretch(1);
  auto* row = new QHBoxLayout;
  row->setSpacing(6);
  help_ = new QPushButton(texts::kHelp, this);
  row->addWidget(help_);
  row->addStretch(1);
  ok_ = new QPushButton(texts::kOK, this);
  cancel_ = new QPushButton(texts::kCancel, this);
  row->addWidget(ok_);
  row->addWidget(cancel_);
  for (QPushButton* b : {help_, ok_, cancel_}) {
    b->setAccessibleName(b->text());
    b->setAutoDefault(false);
  }
  ok_->setDefault(true);
  outer->addLayout(row);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(help_, &QPushButton::clicked, this, [this] {
    if (helpOpener_) helpOpener_(texts::kTopicEntriesHtmlBar);
  });
  setMinimumWidth(380);
}

QLineEdit* TagDialog::addLine(const QString& caption, const QString& start) {
  auto* e = new QLineEdit(start, this);
  e->setAccessibleName(caption);
  auto* label = new QLabel(caption, this);
  label->setBuddy(e);
  form_->addRow(label, e);
  return e;
}

QSpinBox* TagDialog::addNumber(const QString& caption, int min, int max, int start) {
  auto* b = new QSpinBox(this);
  b->setRange(min, max);
  b->setValue(start);
  b->setAccessibleName(caption);
  b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 48);
  auto* label = new QLabel(caption, this);
  label->setBuddy(b);
  form_->addRow(label, b);
  return b;
}

void TagDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!centred_) {
    centred_ = true;
    centreOn(this, centreOver_ ? centreOver_ : parentWidget());
  }
}

// ---- The four dialogs ----------------------------------------------------------------

TFontTagForm::TFontTagForm(QWidget* owner, QWidget* centreOver) : TagDialog(owner, texts::kInsertFontTag, centreOver) {
  face_ = addLine(texts::kFontFace);
  colour_ = addLine(texts::kFontColor);
  size_ = addLine(texts::kFontSize);
}

QString TFontTagForm::tagText(const QString& s) const {
  return fontTagText(face_->text(), colour_->text(), size_->text(), s);
}

THrefTagForm::THrefTagForm(QWidget* owner, QWidget* centreOver, const QString& selection)
    : TagDialog(owner, texts::kInsertHrefTag, centreOver) {
  url_ = addLine(texts::kUrl);
  caption_ = addLine(texts::kLinkCaption, selection);
  newWindow_ = new QCheckBox(texts::kOpenInNewWindow, this);
  newWindow_->setAccessibleName(texts::kOpenInNewWindow);
  newWindow_->setChecked(true);
  form()->addRow(QString(), newWindow_);
  setMinimumWidth(460);
}

QString THrefTagForm::tagText() const {
  return linkTagText(url_->text(), caption_->text(), newWindow_->isChecked());
}

TImageTagForm::TImageTagForm(QWidget* owner, QWidget* centreOver)
    : TagDialog(owner, texts::kInsertImageTag, centreOver) {
  file_ = addLine(texts::kImageFileName);
  alt_ = addLine(texts::kAltText);
  auto* group = new QGroupBox(texts::kAlign, this);
  group->setAccessibleName(texts::kAlign);
  auto* grid = new QGridLayout(group);
  for (int i = 0; i < 6; ++i) {
    align_[i] = new QRadioButton(texts::kAlignNames[i], group);
    align_[i]->setAccessibleName(texts::kAlignNames[i]);
    grid->addWidget(align_[i], i % 2, i / 2);
  }
  align_[0]->setChecked(true);
  form()->addRow(group);
  hspace_ = addLine(texts::kHSpace, QStringLiteral("0"));
  vspace_ = addLine(texts::kVSpace, QStringLiteral("0"));
  setMinimumWidth(440);
}

int TImageTagForm::align() const {
  for (int i = 0; i < 6; ++i)
    if (align_[i]->isChecked()) return i;
  return 0;
}

QString TImageTagForm::tagText(const QString& s) const {
  return imageTagText(file_->text(), alt_->text(), align(), hspace_->text(), vspace_->text(), s);
}

TTableTagForm::TTableTagForm(QWidget* owner, QWidget* centreOver)
    : TagDialog(owner, texts::kInsertTableTag, centreOver) {
  rows_ = addNumber(texts::kRows, 1, 20, 2);
  columns_ = addNumber(texts::kColumns, 1, 20, 2);
  padding_ = addNumber(texts::kCellPadding, 0, 12, 4);
  spacing_ = addNumber(texts::kCellSpacing, 0, 12, 4);
  border_ = addNumber(texts::kBorder, 0, 4, 0);
  form()->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  setMinimumWidth(320);
}

QString TTableTagForm::tagText(const QString& s) const {
  return tableTagText(rows_->value(), columns_->value(), padding_->value(), spacing_->value(), border_->value(), s);
}

}  // namespace tessary::app
