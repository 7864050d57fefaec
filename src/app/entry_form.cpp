#include "app/entry_form.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/font_string.h"
#include "app/texts.h"
#include "store/entries.h"
#include "util/date_time.h"

namespace tessary::app {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

constexpr int kMetaTagLimit = 250;
constexpr int kMinWidth = 600;
constexpr int kMinHeight = 400;

// The number at [pos, pos + n) of the text, or nothing.
std::optional<int> numberAt(const QString& text, int pos, int n) {
  bool ok = false;
  const int v = text.mid(pos, n).toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return v;
}

// Multi-line text as a text field shows it (one line break) and as the record keeps it (CR LF).
QString shownLines(const QString& s) {
  QString out = s;
  out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  out.replace(QChar('\r'), QChar('\n'));
  return out;
}

QString storedLines(const QString& s) {
  QString out = s;
  out.replace(QChar::ParagraphSeparator, QChar('\n'));
  out.replace(QChar::LineSeparator, QChar('\n'));
  out.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return out;
}

// The picture of a toolbar button: its short text drawn in the button's font.
QIcon glyphIcon(const QString& glyph, const QFont& font, const QColor& colour) {
  const QFontMetrics m(font);
  const QSize size(std::max(m.horizontalAdvance(glyph) + 4, m.height()), m.height());
  const qreal ratio = qApp->devicePixelRatio();
  QPixmap pm(size * ratio);
  pm.setDevicePixelRatio(ratio);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, glyph);
  p.end();
  return QIcon(pm);
}

// Lays its items out in a row and starts a new row where the next one would
// not fit: the toolbar's groups of buttons at the narrowest window.
class FlowRows : public QLayout {
 public:
  FlowRows(QWidget* parent, int spacing) : QLayout(parent), gap_(spacing) { setContentsMargins(0, 0, 0, 0); }
  ~FlowRows() override {
    while (QLayoutItem* i = takeAt(0)) delete i;
  }
  void addItem(QLayoutItem* item) override { items_.push_back(item); }
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int i) const override { return i >= 0 && i < count() ? items_[i] : nullptr; }
  QLayoutItem* takeAt(int i) override {
    if (i < 0 || i >= count()) return nullptr;
    QLayoutItem* item = items_[i];
    items_.erase(items_.begin() + i);
    return item;
  }
  Qt::Orientations expandingDirections() const override { return {}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
  void setGeometry(const QRect& r) override {
    QLayout::setGeometry(r);
    arrange(r, true);
  }
  QSize sizeHint() const override {
    int w = 0, h = 0;
    for (QLayoutItem* i : items_) {
      w += i->sizeHint().width() + gap_;
      h = std::max(h, i->sizeHint().height());
    }
    return {std::max(0, w - gap_), h};
  }
  QSize minimumSize() const override {
    QSize s;
    for (QLayoutItem* i : items_) s = s.expandedTo(i->minimumSize());
    return s;
  }

 private:
  int arrange(const QRect& r, bool place) const {
    int x = r.x(), y = r.y(), rowHeight = 0;
    for (QLayoutItem* i : items_) {
      const QSize hint = i->sizeHint();
      if (x > r.x() && x + hint.width() > r.right() + 1) {
        x = r.x();
        y += rowHeight + gap_;
        rowHeight = 0;
      }
      if (place) i->setGeometry(QRect(QPoint(x, y), hint));
      x += hint.width() + gap_ * 3;
      rowHeight = std::max(rowHeight, hint.height());
    }
    return y + rowHeight - r.y();
  }
  std::vector<QLayoutItem*> items_;
  int gap_;
};

}  // namespace

// ---- The date and time fields ----------------------------------------------------------

QChar overwriteCharacter(OverwriteKind kind, int position, QChar c) {
  auto digitIn = [&](char lo, char hi, char otherwise) { return (c >= QChar(lo) && c <= QChar(hi)) ? c : QChar(otherwise); };
  if (position < 0) return {};
  if (kind == OverwriteKind::Date) {
    switch (position) {
      case 0: return digitIn('0', '2', '2');
      case 1: case 2: case 3: case 6: case 9: return digitIn('0', '9', '0');
      case 4: case 7: return QChar('-');
      case 5: return digitIn('0', '1', '0');
      case 8: return digitIn('0', '3', '0');
      default: return {};
    }
  }
  switch (position) {
    case 0: return digitIn('0', '2', '0');
    case 1: case 4: case 7: return digitIn('0', '9', '0');
    case 3: case 6: return digitIn('0', '5', '0');
    case 2: case 5: return QChar(':');
    default: return {};
  }
}

QString dateFieldText(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  return QString::asprintf("%04d-%02d-%02d", t.year, t.month, t.day);
}

QString timeFieldText(util::DateTime value) {
  const util::CivilTime t = util::decodeDateTime(value);
  return QString::asprintf("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

util::DateTime readDateTimeFields(const QString& date, const QString& time) {
  util::CivilTime t;
  t.year = std::clamp(numberAt(date, 0, 4).value_or(2000), 1899, 2999);
  t.month = std::clamp(numberAt(date, 5, 2).value_or(1), 1, 12);
  t.day = std::clamp(numberAt(date, 8, 2).value_or(1), 1, 31);
  t.day = std::min(t.day, util::daysInMonth(t.year, t.month));
  t.hour = std::clamp(numberAt(time, 0, 2).value_or(0), 0, 23);
  t.minute = std::clamp(numberAt(time, 3, 2).value_or(0), 0, 59);
  t.second = std::clamp(numberAt(time, 6, 2).value_or(0), 0, 59);
  t.millisecond = 0;
  return util::encodeDateTime(t);
}

OverwriteField::OverwriteField(OverwriteKind kind, QWidget* parent) : QLineEdit(parent), kind_(kind) {
  setDragEnabled(false);
  setAcceptDrops(false);
  // The menu's Cut, Delete and Paste would take characters away or add them.
  setContextMenuPolicy(Qt::NoContextMenu);
  const QString sample = kind == OverwriteKind::Date ? QStringLiteral("0000-00-00") : QStringLiteral("00:00:00");
  setMaxLength(sample.size());
  setFixedWidth(fontMetrics().horizontalAdvance(sample + "00") + 12);
}

void OverwriteField::typeCharacter(QChar c) {
  const int at = hasSelectedText() ? selectionStart() : cursorPosition();
  const QChar put = overwriteCharacter(kind_, at, c);
  if (put.isNull() || at >= maxLength()) {
    deselect();
    return;
  }
  // Replaced through a selection so that undo takes it back.
  setSelection(at, at < text().size() ? 1 : 0);
  insert(QString(put));
  setCursorPosition(at + 1);
}

void OverwriteField::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Delete || e->key() == Qt::Key_Backspace || e->matches(QKeySequence::Cut) ||
      e->matches(QKeySequence::DeleteStartOfWord) || e->matches(QKeySequence::DeleteEndOfWord) ||
      e->matches(QKeySequence::DeleteEndOfLine) || e->matches(QKeySequence::DeleteCompleteLine)) {
    if (e->matches(QKeySequence::Cut)) copy();
    e->accept();
    return;
  }
  if (e->matches(QKeySequence::Paste)) {
    for (QChar c : QApplication::clipboard()->text()) typeCharacter(c);
    e->accept();
    return;
  }
  const QString t = e->text();
  const bool command = e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier);
  if (!command && !t.isEmpty() && t.at(0).isPrint()) {
    for (QChar c : t) typeCharacter(c);
    e->accept();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void OverwriteField::inputMethodEvent(QInputMethodEvent* e) {
  for (QChar c : e->commitString()) typeCharacter(c);
  e->accept();
}

// ---- Building -------------------------------------------------------------------------------

TBlogEntryForm::TBlogEntryForm(QWidget* owner, EntryEditorSeams seams) : QDialog(owner), seams_(std::move(seams)) {
  setWindowTitle(texts::kBlogEntryTitle);
  setAccessibleName(texts::kBlogEntryTitle);
  setSizeGripEnabled(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  setMinimumSize(kMinWidth, kMinHeight);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  QList<QPushButton*> buttons;
  band_ = makeTopBand(this, texts::kBlogEntryTitle, {texts::kHelp, texts::kCancel, texts::kSave}, buttons);
  help_ = buttons[0];
  cancel_ = buttons[1];
  save_ = buttons[2];
  save_->setToolTip(QStringLiteral("%1 (Ctrl+S)").arg(texts::kSave));
  cancel_->setToolTip(QStringLiteral("%1 (Esc)").arg(texts::kCancel));
  outer->addWidget(band_);

  pages_ = new QTabWidget(this);
  pages_->setAccessibleName(texts::kBlogEntryTitle);
  pages_->setDocumentMode(false);
  pages_->addTab(buildBasicPage(), texts::kPageBasicEntry);

  // Meta tags: two limited lines with their counts, then the teaser.
  auto* meta = new QWidget(pages_);
  auto* ml = new QGridLayout(meta);
  ml->setContentsMargins(10, 10, 10, 10);
  ml->setHorizontalSpacing(8);
  ml->setVerticalSpacing(6);
  auto metaLine = [&](int row, const char* caption, QLineEdit*& edit, QLabel*& count) {
    auto* label = new QLabel(caption, meta);
    edit = makeLine(meta, caption);
    edit->setMaxLength(kMetaTagLimit);
    label->setBuddy(edit);
    count = new QLabel(meta);
    count->setAccessibleName(QStringLiteral("%1: %2").arg(caption, texts::kCharacterCount));
    count->setMinimumWidth(count->fontMetrics().horizontalAdvance(QString(texts::kCharacterCount).arg(250).arg(250)));
    count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto update = [edit, count] {
      count->setText(QString(texts::kCharacterCount).arg(edit->text().size()).arg(kMetaTagLimit));
      count->setAccessibleName(count->text());
    };
    connect(edit, &QLineEdit::textChanged, count, update);
    update();
    ml->addWidget(label, row, 0, 1, 2);
    ml->addWidget(edit, row + 1, 0);
    ml->addWidget(count, row + 1, 1);
  };
  metaLine(0, texts::kKeywordsMetaTag, keywords_, keywordsCount_);
  metaLine(2, texts::kDescriptionMetaTag, metaDesc_, metaDescCount_);
  auto* teaserLabel = new QLabel(texts::kArticleTeaser, meta);
  teaser_ = makeMemo(meta, texts::kArticleTeaser);
  teaserLabel->setBuddy(teaser_);
  ml->addItem(new QSpacerItem(0, 6), 4, 0);
  ml->addWidget(teaserLabel, 5, 0, 1, 2);
  ml->addWidget(teaser_, 6, 0, 1, 2);
  ml->setRowStretch(6, 1);
  ml->setColumnStretch(0, 1);
  pages_->addTab(meta, texts::kPageMetaTags);

  auto* side = new QWidget(pages_);
  auto* sl = new QVBoxLayout(side);
  sl->setContentsMargins(10, 10, 10, 10);
  auto* sideLabel = new QLabel(texts::kSideBarText, side);
  sidebar_ = makeMemo(side, texts::kSideBarText);
  sideLabel->setBuddy(sidebar_);
  sl->addWidget(sideLabel);
  sl->addWidget(sidebar_, 1);
  pages_->addTab(side, texts::kPageSideBar);

  pages_->addTab(buildTwoFieldPage(texts::kCustomTitle1, title1_, texts::kCustomText1, extra1_), texts::kPageCustomFields1);
  pages_->addTab(buildTwoFieldPage(texts::kCustomTitle2, title2_, texts::kCustomText2, extra2_), texts::kPageCustomFields2);
  outer->addWidget(pages_, 1);

  connect(save_, &QPushButton::clicked, this, &TBlogEntryForm::save);
  connect(cancel_, &QPushButton::clicked, this, &TBlogEntryForm::cancel);
  connect(help_, &QPushButton::clicked, this, [this] {
    if (seams_.help)
      seams_.help(function_ == kCategoryMode ? texts::kTopicEntriesCategoryList : texts::kTopicEntries);
  });
  auto* saveKey = new QShortcut(QKeySequence::Save, this);
  connect(saveKey, &QShortcut::activated, this, &TBlogEntryForm::save);
  auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
  connect(helpKey, &QShortcut::activated, help_, &QPushButton::click);

  resize(kMinWidth, kMinHeight);
  filled_ = myBlogRec();
}

QLineEdit* TBlogEntryForm::makeLine(QWidget* parent, const QString& name) {
  auto* e = new QLineEdit(parent);
  e->setAccessibleName(name);
  slots_.push_back({e, {}, {}});
  return e;
}

QPlainTextEdit* TBlogEntryForm::makeMemo(QWidget* parent, const QString& name) {
  auto* e = new QPlainTextEdit(parent);
  e->setAccessibleName(name);
  // Tab moves on, as in every other field; the text keeps what is typed.
  e->setTabChangesFocus(true);
  e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  slots_.push_back({e, {}, {}});
  return e;
}

QWidget* TBlogEntryForm::buildTwoFieldPage(const char* lineCaption, QLineEdit*& line, const char* textCaption,
                                           QPlainTextEdit*& text) {
  auto* w = new QWidget(pages_);
  auto* l = new QVBoxLayout(w);
  l->setContentsMargins(10, 10, 10, 10);
  l->setSpacing(6);
  auto* lineLabel = new QLabel(lineCaption, w);
  line = makeLine(w, lineCaption);
  lineLabel->setBuddy(line);
  auto* textLabel = new QLabel(textCaption, w);
  text = makeMemo(w, textCaption);
  textLabel->setBuddy(text);
  l->addWidget(lineLabel);
  l->addWidget(line);
  l->addSpacing(6);
  l->addWidget(textLabel);
  l->addWidget(text, 1);
  return w;
}

QWidget* TBlogEntryForm::buildBasicPage() {
  auto* w = new QWidget(pages_);
  auto* l = new QVBoxLayout(w);
  l->setContentsMargins(10, 8, 10, 8);
  l->setSpacing(6);

  // Date, time and the categories.
  auto* top = new QHBoxLayout;
  top->setSpacing(6);
  dateLabel_ = new QLabel(texts::kDate, w);
  date_ = new OverwriteField(OverwriteKind::Date, w);
  date_->setAccessibleName(texts::kDate);
  dateLabel_->setBuddy(date_);
  timeLabel_ = new QLabel(texts::kTime, w);
  time_ = new OverwriteField(OverwriteKind::Time, w);
  time_->setAccessibleName(texts::kTime);
  timeLabel_->setBuddy(time_);
  top->addWidget(dateLabel_);
  top->addWidget(date_);
  top->addSpacing(6);
  top->addWidget(timeLabel_);
  top->addWidget(time_);
  top->addSpacing(14);

  categoryCaption_ = new QLabel(texts::kCategory, w);
  categoryLabel_ = new QLabel(w);
  categoryLabel_->setFrameShape(QFrame::StyledPanel);
  categoryLabel_->setFrameShadow(QFrame::Sunken);
  categoryLabel_->setMinimumWidth(90);
  categoryLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  categoryLabel_->setAccessibleName(texts::kCategory);
  categoryButton_ = new QPushButton(texts::kEllipsis, w);
  categoryButton_->setToolTip(texts::kSelectCategoryHint);
  categoryButton_->setAccessibleName(texts::kEllipsis);
  categoryButton_->setAccessibleDescription(texts::kSelectCategoryHint);
  categoryCaption_->setBuddy(categoryButton_);
  clearButton_ = new QToolButton(w);
  clearButton_->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
  clearButton_->setToolTip(texts::kClearCategoriesHint);
  clearButton_->setAccessibleName(texts::kClearCategoriesHint);
  clearButton_->setFocusPolicy(Qt::StrongFocus);
  top->addWidget(categoryCaption_);
  top->addWidget(categoryLabel_, 1);
  top->addWidget(categoryButton_);
  top->addWidget(clearButton_);
  l->addLayout(top);

  secondLabel_ = new QLabel(texts::kSecondCategory, w);
  thirdLabel_ = new QLabel(texts::kThirdCategory, w);
  second_ = new QPushButton(texts::kEllipsis, w);
  third_ = new QPushButton(texts::kEllipsis, w);
  for (QPushButton* b : {second_, third_}) {
    b->setToolTip(texts::kAlternateCategoryHint);
    b->setAccessibleName(texts::kEllipsis);
    b->setAccessibleDescription(texts::kAlternateCategoryHint);
    b->setMinimumWidth(64);
    b->setMaximumWidth(170);
  }
  secondLabel_->setBuddy(second_);
  thirdLabel_->setBuddy(third_);

  // The title shares its row with the alternate categories.
  auto* titleRow = new QHBoxLayout;
  titleRow->setSpacing(6);
  auto* titleLabel = new QLabel(texts::kTitle, w);
  title_ = makeLine(w, texts::kTitle);
  titleLabel->setBuddy(title_);
  titleRow->addWidget(titleLabel);
  titleRow->addWidget(title_, 1);
  titleRow->addSpacing(8);
  titleRow->addWidget(secondLabel_);
  titleRow->addWidget(second_);
  titleRow->addWidget(thirdLabel_);
  titleRow->addWidget(third_);
  l->addLayout(titleRow);

  auto* entryLabel = new QLabel(texts::kEntry, w);
  l->addWidget(entryLabel);
  l->addWidget(buildToolbar(w));
  text_ = makeMemo(w, texts::kEntry);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  entryLabel->setBuddy(text_);
  l->addWidget(text_, 1);

  urlRow_ = new QWidget(w);
  auto* ul = new QHBoxLayout(urlRow_);
  ul->setContentsMargins(0, 0, 0, 0);
  ul->setSpacing(6);
  auto* urlLabel = new QLabel(texts::kLinkUrl, urlRow_);
  url_ = makeLine(urlRow_, texts::kLinkUrl);
  urlLabel->setBuddy(url_);
  urlButton_ = new QPushButton(texts::kEllipsis, urlRow_);
  urlButton_->setAccessibleName(texts::kEllipsis);
  urlButton_->setToolTip(texts::kOpenLinkHint);
  urlButton_->setAccessibleDescription(texts::kOpenLinkHint);
  ul->addWidget(urlLabel);
  ul->addWidget(url_, 1);
  ul->addWidget(urlButton_);
  l->addWidget(urlRow_);

  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(6);
  auto* pageLabel = new QLabel(texts::kPageName, w);
  pageName_ = makeLine(w, texts::kPageName);
  pageLabel->setBuddy(pageName_);
  entryTypeLabel_ = new QLabel(texts::kEntryType, w);
  entryType_ = new QComboBox(w);
  entryType_->setAccessibleName(texts::kEntryType);
  for (int32_t t = store::kBlogEntry; t <= store::kFreeFormatPage; ++t) entryType_->addItem(store::entryTypeText(t));
  entryTypeLabel_->setBuddy(entryType_);
  bottom->addWidget(pageLabel);
  bottom->addWidget(pageName_, 1);
  bottom->addSpacing(10);
  bottom->addWidget(entryTypeLabel_);
  bottom->addWidget(entryType_);
  l->addLayout(bottom);

  for (QPushButton* b : {categoryButton_, second_, third_, urlButton_}) b->setAutoDefault(false);
  for (QPushButton* b : {categoryButton_, urlButton_})
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
  connect(categoryButton_, &QPushButton::clicked, this, [this] { chooseCategory(1); });
  connect(second_, &QPushButton::clicked, this, [this] { chooseCategory(2); });
  connect(third_, &QPushButton::clicked, this, [this] { chooseCategory(3); });
  connect(clearButton_, &QToolButton::clicked, this, &TBlogEntryForm::clearCategories);
  connect(urlButton_, &QPushButton::clicked, this, &TBlogEntryForm::openLink);
  connect(entryType_, &QComboBox::currentIndexChanged, this, &TBlogEntryForm::entryTypeChanged);
  return w;
}

QToolButton* TBlogEntryForm::addToolButton(QWidget* parent, const QString& hint, const QString& glyph,
                                           const std::function<void()>& action, int style) {
  auto* b = new QToolButton(parent);
  QFont f = b->font();
  f.setBold(style & 1);
  f.setItalic(style & 2);
  f.setUnderline(style & 4);
  // The short text is a picture, not a caption: the button is named by its hint.
  const QIcon icon = glyphIcon(glyph, f, b->palette().color(QPalette::ButtonText));
  b->setIcon(icon);
  b->setIconSize(icon.availableSizes().value(0, QSize(16, 16)) / qApp->devicePixelRatio());
  b->setToolTip(hint);
  b->setAccessibleName(hint);
  b->setFocusPolicy(Qt::TabFocus);
  b->setToolButtonStyle(Qt::ToolButtonIconOnly);
  connect(b, &QToolButton::clicked, this, action);
  tools_.push_back(b);
  parent->layout()->addWidget(b);
  return b;
}

QWidget* TBlogEntryForm::buildToolbar(QWidget* parent) {
  auto* bar = new QWidget(parent);
  bar->setAccessibleName(texts::kHtmlToolbar);
  auto* flow = new FlowRows(bar, 2);
  QWidget* group = nullptr;
  auto startGroup = [&] {
    group = new QWidget(bar);
    auto* gl = new QHBoxLayout(group);
    gl->setContentsMargins(0, 0, 0, 0);
    gl->setSpacing(2);
    flow->addWidget(group);
  };
  auto add = [&](const char* hint, const char* glyph, const std::function<void()>& action, int style = 0) {
    return addToolButton(group, hint, glyph, action, style);
  };
  auto wrap = [this](const char* open, const char* close) {
    return [this, open, close] { replaceSelection(QString(open) + selection() + close); };
  };
  auto before = [this](const char* tag) {
    return [this, tag] { replaceSelection(QString(tag) + selection()); };
  };
  using namespace texts;
  startGroup();
  add(kHintBold, "B", wrap("<B>", "</B>"), 1);
  add(kHintItalics, "I", wrap("<I>", "</I>"), 2);
  add(kHintUnderline, "U", wrap("<U>", "</U>"), 4);
  add(kHintCenter, "Center", wrap("<CENTER>", "</CENTER>"));
  add(kHintParagraph, "P", before("<P>"));
  add(kHintLineFeed, "BR", before("<BR>"));
  add(kHintRule, "HR", before("<HR>"));
  startGroup();
  add(kHintFont, "Font", [this] { insertFontTag(); });
  add(kHintLink, "Link", [this] { insertLink(); });
  add(kHintImage, "Img", [this] { insertImageTag(); });
  add(kHintTable, "Table", [this] { insertTableTag(); });
  startGroup();
  add(kHintNumbered, "OL", wrap("<OL><LI>", "</OL>"));
  add(kHintUnnumbered, "UL", wrap("<UL><LI>", "</UL>"));
  add(kHintListItem, "LI", before("<LI>"));
  startGroup();
  wrapOn_ = add(kHintWrapOn, "Wrap", [this] { toggleWordWrap(); });
  wrapOff_ = add(kHintWrapOff, "No Wrap", [this] { toggleWordWrap(); });
  wrapOn_->setCheckable(true);
  wrapOff_->setCheckable(true);
  wrapOn_->setChecked(true);
  startGroup();
  add(kHintBlogPicture, "Picture", [this] { insertPicture(); });
  add(kHintBlogFile, "File", [this] { insertFile(); });
  // The three that wrap a selection have the usual keys in the text.
  const std::pair<const char*, QKeySequence> keys[] = {
      {kHintBold, QKeySequence::Bold}, {kHintItalics, QKeySequence::Italic}, {kHintUnderline, QKeySequence::Underline}};
  for (const auto& [hint, key] : keys) {
    QToolButton* tb = toolButton(hint);
    tb->setToolTip(QStringLiteral("%1 (%2)").arg(hint, key.toString(QKeySequence::NativeText)));
    auto* sc = new QShortcut(key, this);
    connect(sc, &QShortcut::activated, tb, [this, tb] {
      if (text_->hasFocus()) tb->click();
    });
  }
  return bar;
}

QToolButton* TBlogEntryForm::toolButton(const QString& hint) const {
  for (QToolButton* b : tools_)
    if (b->accessibleName() == hint) return b;
  return nullptr;
}

// ---- Session settings ------------------------------------------------------------------------

void TBlogEntryForm::applyPlace(const WindowPlace& place, const QSize& desktop) {
  startMaximized_ = placeLikeEntryEditor(this, place, desktop, QSize(kMinWidth, kMinHeight));
}

WindowPlace TBlogEntryForm::keptPlace(const WindowPlace& before) const {
  WindowPlace p = before;
  p.initMax = isMaximized();
  if (!p.initMax) {
    p.top = frameGeometry().top();
    p.left = frameGeometry().left();
    p.height = geometry().height();
    p.width = geometry().width();
  }
  return p;
}

void TBlogEntryForm::applyFonts(const QString& formFont, const QString& entryTextFont) {
  DisplayFont form;
  form.font = font();
  applyFontString(form, formFont);
  applyDisplayFont(this, form);
  // The entry-text font over each field's own font (the text starts fixed-pitch).
  for (QWidget* w : std::initializer_list<QWidget*>{title_, text_, date_, time_, url_, entryType_, pageName_}) {
    DisplayFont f;
    f.font = w == text_ ? text_->font() : form.font;
    applyFontString(f, entryTextFont);
    applyDisplayFont(w, f);
  }
  for (QPushButton* b : {categoryButton_, urlButton_})
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 24);
  for (OverwriteField* f : {date_, time_}) {
    const QString sample = f == date_ ? QStringLiteral("0000-00-00") : QStringLiteral("00:00:00");
    f->setFixedWidth(f->fontMetrics().horizontalAdvance(sample + "00") + 12);
  }
}

int TBlogEntryForm::run() {
  if (startMaximized_) setWindowState(windowState() | Qt::WindowMaximized);
  exec();
  return result_;
}

// ---- The record --------------------------------------------------------------------------------

void TBlogEntryForm::fillText(QWidget* w, const std::string& value) {
  for (TextSlot& s : slots_) {
    if (s.widget != w) continue;
    s.original = value;
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
      line->setText(qs(value));
      line->setModified(false);
      s.shown = line->text();
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
      memo->setPlainText(shownLines(qs(value)));
      s.shown = memo->toPlainText();
    }
  }
}

std::string TBlogEntryForm::readText(QWidget* w) const {
  for (const TextSlot& s : slots_) {
    if (s.widget != w) continue;
    QString now;
    if (auto* line = qobject_cast<QLineEdit*>(w)) now = line->text();
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) now = memo->toPlainText();
    if (now == s.shown) return s.original;
    return (qobject_cast<QPlainTextEdit*>(w) ? storedLines(now) : now).toStdString();
  }
  return {};
}

void TBlogEntryForm::setMyBlogFunction(int function) {
  function_ = function;
  const bool entry = function != kCategoryMode;
  const QString title = entry ? texts::kBlogEntryTitle : texts::kCategoryEntryTitle;
  band_->setTitle(title);
  setWindowTitle(title);
  setAccessibleName(title);
  QWidget* entryOnly[] = {dateLabel_, date_,  timeLabel_, time_,   categoryCaption_, categoryLabel_, categoryButton_,
                          clearButton_, secondLabel_, second_, thirdLabel_, third_, urlRow_, entryTypeLabel_, entryType_};
  for (QWidget* c : entryOnly) {
    c->setVisible(entry);
    c->setEnabled(entry);
  }
  updatePageNameEnabled();
}

void TBlogEntryForm::setMyBlogRec(const store::BlogRec& rec) {
  filling_ = true;
  rec_ = rec;
  date_->setText(dateFieldText(rec.BlogDateTime));
  time_->setText(timeFieldText(rec.BlogDateTime));
  fillText(title_, rec.BlogTitle);
  fillText(text_, rec.BlogText);
  fillText(url_, rec.BlogCoolURL);
  fillText(pageName_, rec.BlogPageName);
  fillText(keywords_, rec.BlogKeywords);
  fillText(metaDesc_, rec.BlogMetaDesc);
  fillText(teaser_, rec.BlogTeaser);
  fillText(sidebar_, rec.BlogSidebar);
  fillText(title1_, rec.BlogTitle1);
  fillText(extra1_, rec.BlogExtra1);
  fillText(title2_, rec.BlogTitle2);
  fillText(extra2_, rec.BlogExtra2);
  entryType_->setCurrentIndex(rec.BlogPageType >= 0 && rec.BlogPageType < entryType_->count() ? rec.BlogPageType : -1);
  categories_[0] = rec.BlogCategory;
  categories_[1] = rec.BlogCategory2;
  categories_[2] = rec.BlogCategory3;
  showCategories();
  updatePageNameEnabled();
  filling_ = false;
  filled_ = myBlogRec();
}

store::BlogRec TBlogEntryForm::myBlogRec() const {
  store::BlogRec r = rec_;
  if (function_ != kCategoryMode) r.BlogDateTime = readDateTimeFields(date_->text(), time_->text());
  r.BlogTitle = readText(title_);
  r.BlogText = readText(text_);
  r.BlogCoolURL = readText(url_);
  r.BlogPageName = readText(pageName_);
  r.BlogKeywords = readText(keywords_);
  r.BlogMetaDesc = readText(metaDesc_);
  r.BlogTeaser = readText(teaser_);
  r.BlogSidebar = readText(sidebar_);
  r.BlogTitle1 = readText(title1_);
  r.BlogExtra1 = readText(extra1_);
  r.BlogTitle2 = readText(title2_);
  r.BlogExtra2 = readText(extra2_);
  // A type the list does not hold (the list shows none) stays as it was.
  if (entryType_->currentIndex() >= 0) r.BlogPageType = entryType_->currentIndex();
  r.BlogCategory = categories_[0];
  r.BlogCategory2 = categories_[1];
  r.BlogCategory3 = categories_[2];
  return r;
}

int32_t TBlogEntryForm::workingCategory(int which) const {
  return which >= 1 && which <= 3 ? categories_[which - 1] : store::kNoCategory;
}

// ---- Entry type and page name -------------------------------------------------------------------

void TBlogEntryForm::updatePageNameEnabled() {
  const bool enabled = function_ == kCategoryMode || store::hasPageName(entryType_->currentIndex());
  pageName_->setEnabled(enabled);
}

void TBlogEntryForm::entryTypeChanged() {
  updatePageNameEnabled();
  if (filling_) return;
  if (pageName_->isEnabled() && pageName_->text().isEmpty())
    pageName_->setText(qs(util::formatDateTime("yyyymmddhhnnss", util::now())));
}

// ---- Categories -------------------------------------------------------------------------------------

QString TBlogEntryForm::titleOf(int32_t key) const {
  if (key <= 0 || !seams_.categoryTitle) return {};
  const std::optional<std::string> t = seams_.categoryTitle(key);
  return t ? qs(*t) : QString();
}

void TBlogEntryForm::showCategory(int which, const QString& title) {
  if (which == 1) {
    categoryLabel_->setText(title);
    categoryLabel_->setToolTip(title);
    categoryLabel_->setAccessibleDescription(title);
    return;
  }
  QPushButton* b = which == 2 ? second_ : third_;
  const QString caption = title.isEmpty() ? QString(texts::kEllipsis) : title;
  // A long title is shortened on the button; the whole one is its name and tip.
  b->setText(b->fontMetrics().elidedText(caption, Qt::ElideRight, b->maximumWidth() - 16));
  b->setAccessibleName(caption);
  b->setToolTip(title.isEmpty() ? QString(texts::kAlternateCategoryHint)
                                : QStringLiteral("%1\n%2").arg(title, texts::kAlternateCategoryHint));
}

void TBlogEntryForm::showCategories() {
  for (int i = 1; i <= 3; ++i) showCategory(i, titleOf(categories_[i - 1]));
}

void TBlogEntryForm::chooseCategory(int which) {
  if (!seams_.selectCategory) return;
  const std::optional<CategoryChoice> chosen = seams_.selectCategory();
  if (!chosen) return;
  categories_[which - 1] = chosen->key;
  showCategory(which, qs(chosen->title));
}

void TBlogEntryForm::clearCategories() {
  for (int32_t& k : categories_) k = store::kNoCategory;
  showCategories();
}

void TBlogEntryForm::openLink() {
  const QString url = url_->text();
  if (url.size() <= 1) return;
  if (seams_.openUrl) seams_.openUrl(url);
  else QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

// ---- The HTML toolbar ---------------------------------------------------------------------------------

QString TBlogEntryForm::selection() const { return storedLines(text_->textCursor().selectedText()); }

void TBlogEntryForm::replaceSelection(const QString& text) {
  QTextCursor c = text_->textCursor();
  c.insertText(shownLines(text));
  text_->setTextCursor(c);
  text_->setFocus();
}

void TBlogEntryForm::insertFontTag() {
  TFontTagForm d(this, this);
  d.setHelpOpener(seams_.help);
  if (d.exec() == QDialog::Accepted) replaceSelection(d.tagText(selection()));
}

void TBlogEntryForm::insertLink() {
  THrefTagForm d(this, parentWidget() ? parentWidget() : this, selection());
  d.setHelpOpener(seams_.help);
  if (d.exec() == QDialog::Accepted) replaceSelection(d.tagText());
}

void TBlogEntryForm::insertImageTag() {
  TImageTagForm d(this, this);
  d.setHelpOpener(seams_.help);
  if (d.exec() == QDialog::Accepted) replaceSelection(d.tagText(selection()));
}

void TBlogEntryForm::insertTableTag() {
  TTableTagForm d(this, this);
  d.setHelpOpener(seams_.help);
  if (d.exec() == QDialog::Accepted) replaceSelection(d.tagText(selection()));
}

void TBlogEntryForm::insertPicture() {
  if (!seams_.insertPicture) return;
  const std::optional<PictureChoice> p = seams_.insertPicture();
  if (p) replaceSelection(pictureTagText(*p, selection()));
}

void TBlogEntryForm::insertFile() {
  if (!seams_.insertFile) return;
  const std::optional<FileChoice> f = seams_.insertFile();
  if (f) replaceSelection(fileTagText(*f, selection()));
}

void TBlogEntryForm::toggleWordWrap() {
  wordWrap_ = !wordWrap_;
  text_->setLineWrapMode(wordWrap_ ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  text_->setHorizontalScrollBarPolicy(wordWrap_ ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
  wrapOn_->setChecked(wordWrap_);
  wrapOff_->setChecked(!wordWrap_);
}

// ---- Save, Cancel, showing ------------------------------------------------------------------------------

void TBlogEntryForm::save() {
  store::BlogRec r = myBlogRec();
  const std::string before = r.BlogPageName;
  store::applyEntrySaveRules(r);
  if (r.BlogPageName != before) fillText(pageName_, r.BlogPageName);
  result_ = 1;
  done(QDialog::Accepted);
}

bool TBlogEntryForm::changed() const { return myBlogRec() != filled_; }

bool TBlogEntryForm::mayDiscard() {
  if (!changed()) return true;
  return QMessageBox::question(this, texts::kAppTitle, texts::kDiscardChanges, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void TBlogEntryForm::cancel() { reject(); }

void TBlogEntryForm::reject() {
  // Cancel, Escape and the window's close box; what the user typed is not
  // thrown away without asking.
  if (!mayDiscard()) return;
  result_ = 0;
  QDialog::reject();
}

void TBlogEntryForm::setVisible(bool visible) {
  const bool first = visible && firstShow_;
  if (first) {
    firstShow_ = false;
    pages_->setCurrentIndex(kPageBasic);
    title_->setFocus(Qt::OtherFocusReason);
  }
  QDialog::setVisible(visible);
  if (first) {
    // Showing a dialog focuses its field as if tabbed to, which selects the whole
    // title; the caret goes after it instead, so a key typed does not replace it.
    title_->deselect();
    title_->end(false);
  }
}

}  // namespace tessary::app
