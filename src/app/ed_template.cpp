#include "app/ed_template.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QRegularExpression>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/dialog_frame.h"
#include "app/file_dialogs.h"
#include "app/texts.h"
#include "templates/tag_engine.h"

namespace tessary::app {

using templates::PackageEditor;

namespace {

constexpr int kMinWidth = 600;
constexpr int kMinHeight = 400;

std::string ss(const QString& s) { return s.toStdString(); }
QString qs(const std::string& s) { return QString::fromStdString(s); }

// A box's text with every line ending as LF (the document keeps paragraph separators).
QString boxText(const QPlainTextEdit* box) {
  QString t = box->document()->toRawText();
  t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  t.replace(QChar::LineSeparator, QLatin1Char('\n'));
  return t;
}

}  // namespace

// ---- The highlighter -------------------------------------------------------------------------

TemplateHighlighter::TemplateHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  formats_[kHtml].setForeground(QColor(0x00, 0x00, 0xa0));
  formats_[kComment].setForeground(QColor(0x70, 0x70, 0x70));
  formats_[kComment].setFontItalic(true);
  formats_[kVariable].setForeground(QColor(0x00, 0x70, 0x00));
  formats_[kVariable].setFontWeight(QFont::Bold);
  formats_[kCommand].setForeground(QColor(0x80, 0x00, 0x80));
  formats_[kCommand].setFontWeight(QFont::Bold);
  formats_[kUnknown].setForeground(QColor(0xc0, 0x00, 0x00));
  formats_[kUnknown].setUnderlineStyle(QTextCharFormat::WaveUnderline);
  formats_[kUnknown].setUnderlineColor(QColor(0xc0, 0x00, 0x00));
}

// Block states: 0 plain text, 1 inside an HTML tag, 2 inside an HTML comment.
void TemplateHighlighter::highlightBlock(const QString& text) {
  const int n = int(text.size());
  int state = std::max(previousBlockState(), 0);
  int i = 0;
  while (i < n) {
    if (state == 2) {
      const int end = int(text.indexOf(QLatin1String("-->"), i));
      const int stop = end < 0 ? n : end + 3;
      setFormat(i, stop - i, formats_[kComment]);
      i = stop;
      if (end >= 0) state = 0;
    } else if (state == 1) {
      const int end = int(text.indexOf(QLatin1Char('>'), i));
      const int stop = end < 0 ? n : end + 1;
      setFormat(i, stop - i, formats_[kHtml]);
      i = stop;
      if (end >= 0) state = 0;
    } else {
      const int lt = int(text.indexOf(QLatin1Char('<'), i));
      if (lt < 0) break;
      i = lt;
      if (text.mid(lt, 4) == QLatin1String("<!--")) {
        state = 2;
      } else if (lt + 1 < n && (text[lt + 1].isLetter() || text[lt + 1] == '/' || text[lt + 1] == '!')) {
        state = 1;
      } else {
        ++i;
      }
    }
  }
  setCurrentBlockState(state);
  // The engine's tags over everything, inside attribute values too. A tag ends
  // at the "%]" that closes its nesting, as the engine reads it.
  for (int open = int(text.indexOf(QLatin1String("[%"))); open >= 0;
       open = int(text.indexOf(QLatin1String("[%"), open + 2))) {
    int depth = 1, close = -1;
    for (int j = open + 2; j + 1 < n; ++j) {
      if (text[j] == '[' && text[j + 1] == '%') {
        ++depth;
        ++j;
      } else if (text[j] == '%' && text[j + 1] == ']') {
        if (--depth == 0) {
          close = j;
          break;
        }
        ++j;
      }
    }
    if (close < 0) {
      setFormat(open, n - open, formats_[kUnknown]);
      break;
    }
    const QString inner = text.mid(open + 2, close - open - 2);
    const templates::TagKind kind = templates::classifyTag(ss(inner));
    if (kind == templates::TagKind::kCommand) {
      // The command's name and delimiters; its arguments keep their own marks.
      const int nameEnd = inner.indexOf(QLatin1String("~~"));
      setFormat(open, 2 + int(nameEnd < 0 ? inner.size() : nameEnd), formats_[kCommand]);
      setFormat(close, 2, formats_[kCommand]);
      for (int t = inner.indexOf(QLatin1String("~~")); t >= 0; t = inner.indexOf(QLatin1String("~~"), t + 2))
        setFormat(open + 2 + t, 2, formats_[kCommand]);
      continue;  // nested tags are marked by the next rounds
    }
    setFormat(open, close + 2 - open, formats_[kind == templates::TagKind::kVariable ? kVariable : kUnknown]);
    open = close;
  }
}

// ---- Building ---------------------------------------------------------------------------------

TTemplatePackagerForm::TTemplatePackagerForm(QWidget* owner, const QString& programFolder,
                                             TemplatePackagerSeams seams)
    : QDialog(owner), programFolder_(programFolder), seams_(std::move(seams)) {
  setWindowTitle(texts::kTemplatePackager);
  setAccessibleName(texts::kTemplatePackager);
  setSizeGripEnabled(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  setMinimumSize(kMinWidth, kMinHeight);
  ui_.setOwner(this);

  templates::PackageEditorDialogs dialogs;
  auto chosen = [](const QString& path) -> std::optional<std::string> {
    if (path.isEmpty()) return std::nullopt;
    return ss(path);
  };
  dialogs.openPackage = [this, chosen] {
    return chosen(askFileToOpen(this, texts::kOpenPackageCaption, texts::kFilterPackages, programFolder_));
  };
  dialogs.savePackageAs = [this, chosen](const std::string& current) {
    return chosen(askSaveFile(texts::kSavePackageCaption, texts::kFilterPackages, "tem", qs(current)));
  };
  dialogs.addFile = [this, chosen] {
    return chosen(askFileToOpen(this, texts::kAddFileCaption, texts::kFilterPackageFiles, programFolder_));
  };
  dialogs.extractFile = [this, chosen](const std::string& name) {
    return chosen(askSaveFile(texts::kExtractFileCaption, texts::kFilterAllFiles, "",
                              QDir(programFolder_).filePath(qs(name))));
  };
  editor_ = std::make_unique<PackageEditor>(ui_, std::move(dialogs));

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  band_ = makeTopBand(this, texts::kTemplatePackager, {texts::kHelp, texts::kClose}, bandButtons_);
  outer->addWidget(band_);

  // The file bar.
  auto* bar = new QWidget(this);
  auto* bl = new QHBoxLayout(bar);
  bl->setContentsMargins(6, 6, 6, 6);
  bl->setSpacing(4);
  struct BarCommand {
    const char* caption;
    QKeySequence key;
  };
  const BarCommand barCommands[] = {{texts::kNew, QKeySequence::New},
                                    {texts::kOpen, QKeySequence::Open},
                                    {texts::kSave, QKeySequence::Save},
                                    {texts::kSaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                                    {texts::kPreview, QKeySequence(Qt::Key_F5)}};
  for (const BarCommand& c : barCommands) {
    QPushButton* b = makeButton(c.caption, bar);
    b->setToolTip(QStringLiteral("%1 (%2)").arg(c.caption, c.key.toString(QKeySequence::NativeText)));
    auto* key = new QShortcut(c.key, this);
    connect(key, &QShortcut::activated, b, &QPushButton::click);
    bl->addWidget(b);
    fileBar_ << b;
  }
  bl->addStretch(1);
  outer->addWidget(bar);
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  outer->addWidget(line);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(6, 6, 6, 6);
  middle->setSpacing(8);
  middle->addWidget(buildTemplateColumn());
  pages_ = new QStackedWidget(this);
  pages_->addWidget(buildSlicesPage());
  pages_->addWidget(buildDescriptionPage());
  pages_->addWidget(buildFilesPage());
  middle->addWidget(pages_, 1);
  outer->addLayout(middle, 1);

  status_ = new QLabel(this);
  status_->setFrameShape(QFrame::StyledPanel);
  status_->setFrameShadow(QFrame::Sunken);
  status_->setContentsMargins(6, 2, 6, 2);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  outer->addWidget(status_);

  // The file bar's commands.
  connect(fileBar_[0], &QPushButton::clicked, this, [this] { command([this] { editor_->newPackage(); }); });
  connect(fileBar_[1], &QPushButton::clicked, this, [this] { command([this] { editor_->open(); }); });
  connect(fileBar_[2], &QPushButton::clicked, this, [this] { command([this] { editor_->save(); }); });
  connect(fileBar_[3], &QPushButton::clicked, this, [this] { command([this] { editor_->saveAs(); }); });
  connect(fileBar_[4], &QPushButton::clicked, this, &TTemplatePackagerForm::preview);
  connect(bandButton(texts::kHelp), &QPushButton::clicked, this, [this] {
    if (seams_.help) seams_.help(texts::kTopicPackageTemplates);
  });
  connect(bandButton(texts::kClose), &QPushButton::clicked, this, &TTemplatePackagerForm::reject);
  auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(helpKey, &QShortcut::activated, bandButton(texts::kHelp), &QPushButton::click);
  bandButton(texts::kHelp)->setToolTip(QStringLiteral("%1 (F1)").arg(texts::kHelp));
  bandButton(texts::kClose)->setToolTip(QStringLiteral("%1 (Esc)").arg(texts::kClose));

  resize(kMinWidth + 200, kMinHeight + 160);
  // Opening: a new package with template 1 on display.
  editor_->start();
  showState();
}

TTemplatePackagerForm::~TTemplatePackagerForm() = default;

QPushButton* TTemplatePackagerForm::makeButton(const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setAccessibleName(caption);
  b->setAutoDefault(false);
  return b;
}

QWidget* TTemplatePackagerForm::buildTemplateColumn() {
  auto* column = new QWidget(this);
  auto* grid = new QGridLayout(column);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(4);
  for (int k = 1; k <= templates::kTemplateCount; ++k) {
    QPushButton* b = makeButton(templates::templateButtonCaption(k), column);
    b->setToolTip(QStringLiteral("%1 (Ctrl+%2)").arg(b->text()).arg(k));
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + k)), this);
    connect(key, &QShortcut::activated, b, &QPushButton::click);
    connect(b, &QPushButton::clicked, this, [this, k] { command([this, k] { editor_->templateButton(k); }); });
    templateButtons_[size_t(k - 1)] = b;
    grid->addWidget(b, k - 1, 0);
    if (k == 1) continue;
    auto small = [&](const std::string& hint, QStyle::StandardPixmap icon, int col) {
      auto* t = new QToolButton(column);
      t->setIcon(style()->standardIcon(icon));
      t->setToolTip(qs(hint));
      t->setAccessibleName(qs(hint));
      t->setAutoRaise(false);
      t->setFocusPolicy(Qt::StrongFocus);
      grid->addWidget(t, k - 1, col);
      return t;
    };
    QToolButton* reset = small(templates::resetHint(k), QStyle::SP_BrowserReload, 1);
    QToolButton* clear = small(templates::clearHint(k), QStyle::SP_DialogDiscardButton, 2);
    connect(reset, &QToolButton::clicked, this, [this, k] { command([this, k] { editor_->resetTemplate(k); }); });
    connect(clear, &QToolButton::clicked, this, [this, k] { command([this, k] { editor_->clearTemplate(k); }); });
    resetButtons_[size_t(k - 2)] = reset;
    clearButtons_[size_t(k - 2)] = clear;
  }
  grid->addItem(new QSpacerItem(0, 12), templates::kTemplateCount, 0);
  descriptionButton_ = makeButton(texts::kDescription, column);
  filesButton_ = makeButton(texts::kImagesAndFiles, column);
  grid->addWidget(descriptionButton_, templates::kTemplateCount + 1, 0, 1, 3);
  grid->addWidget(filesButton_, templates::kTemplateCount + 2, 0, 1, 3);
  grid->setRowStretch(templates::kTemplateCount + 3, 1);
  connect(descriptionButton_, &QPushButton::clicked, this,
          [this] { command([this] { editor_->showDescriptionPage(); }); });
  connect(filesButton_, &QPushButton::clicked, this, [this] { command([this] { editor_->showFilesPage(); }); });
  return column;
}

QWidget* TTemplatePackagerForm::buildSlicesPage() {
  auto* page = new QWidget(this);
  auto* pl = new QVBoxLayout(page);
  pl->setContentsMargins(0, 0, 0, 0);
  tabs_ = new QTabWidget(page);
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (int s = 1; s <= templates::kTemplateCount; ++s) {
    auto* tab = new QWidget(tabs_);
    auto* tl = new QVBoxLayout(tab);
    tl->setContentsMargins(6, 6, 6, 6);
    tl->setSpacing(6);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    if (s == 1) {
      label_ = new QLabel(tab);
      QFont bold = label_->font();
      bold.setBold(true);
      label_->setFont(bold);
      row->addWidget(label_);
      row->addSpacing(12);
    }
    auto* items = new QComboBox(tab);
    items->setAccessibleName(texts::kInsertableItems);
    items->setMaxVisibleItems(24);
    for (const std::string& item : templates::insertableItems(s)) items->addItem(qs(item));
    items->setCurrentIndex(0);
    items->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QPushButton* insert = makeButton(texts::kInsert, tab);
    insert->setToolTip(QStringLiteral("%1 (Ctrl+I)").arg(texts::kInsert));
    row->addWidget(items, 1);
    row->addWidget(insert);
    auto* box = new QPlainTextEdit(tab);
    box->setAccessibleName(templates::sliceTabCaption(s));
    box->setFont(fixed);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setTabChangesFocus(false);
    highlighters_[size_t(s - 1)] = new TemplateHighlighter(box->document());
    tl->addLayout(row);
    tl->addWidget(box, 1);
    boxes_[size_t(s - 1)] = box;
    items_[size_t(s - 1)] = items;
    inserts_[size_t(s - 1)] = insert;
    connect(insert, &QPushButton::clicked, this, [this, s] { insertItem(s); });
    tabs_->addTab(tab, templates::sliceTabCaption(s));
  }
  auto* insertKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), page);
  connect(insertKey, &QShortcut::activated, this, [this] { insertItem(tabs_->currentIndex() + 1); });
  pl->addWidget(tabs_, 1);

  // Find in the slice on display.
  auto* findRow = new QHBoxLayout;
  findRow->setSpacing(6);
  auto* findLabel = new QLabel(QStringLiteral("%1:").arg(texts::kFind), page);
  find_ = new QLineEdit(page);
  find_->setAccessibleName(texts::kFind);
  find_->setToolTip(QStringLiteral("%1 (Ctrl+F)").arg(texts::kFind));
  find_->setClearButtonEnabled(true);
  findLabel->setBuddy(find_);
  QPushButton* next = makeButton(texts::kFindNext, page);
  next->setToolTip(QStringLiteral("%1 (F3)").arg(texts::kFindNext));
  findStatus_ = new QLabel(page);
  findRow->addWidget(findLabel);
  findRow->addWidget(find_, 1);
  findRow->addWidget(next);
  findRow->addWidget(findStatus_);
  pl->addLayout(findRow);
  auto* findKey = new QShortcut(QKeySequence::Find, page);
  connect(findKey, &QShortcut::activated, this, [this] {
    find_->setFocus();
    find_->selectAll();
  });
  auto* nextKey = new QShortcut(QKeySequence::FindNext, page);
  connect(nextKey, &QShortcut::activated, this, &TTemplatePackagerForm::findNext);
  connect(find_, &QLineEdit::returnPressed, this, &TTemplatePackagerForm::findNext);
  connect(next, &QPushButton::clicked, this, &TTemplatePackagerForm::findNext);
  connect(find_, &QLineEdit::textChanged, findStatus_, &QLabel::clear);
  return page;
}

QWidget* TTemplatePackagerForm::buildDescriptionPage() {
  auto* page = new QWidget(this);
  auto* pl = new QVBoxLayout(page);
  pl->setContentsMargins(0, 0, 0, 0);
  auto* heading = new QLabel(texts::kDescriptionHeading, page);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  description_ = new QPlainTextEdit(page);
  description_->setAccessibleName(texts::kDescriptionHeading);
  heading->setBuddy(description_);
  pl->addWidget(heading);
  pl->addWidget(description_, 1);
  return page;
}

QWidget* TTemplatePackagerForm::buildFilesPage() {
  auto* page = new QWidget(this);
  auto* pl = new QVBoxLayout(page);
  pl->setContentsMargins(0, 0, 0, 0);
  auto* heading = new QLabel(texts::kFilesHeading, page);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  auto* row = new QHBoxLayout;
  row->setSpacing(6);
  addFile_ = makeButton(texts::kAddFile, page);
  extractFile_ = makeButton(texts::kExtractFile, page);
  removeFile_ = makeButton(texts::kRemoveFile, page);
  row->addWidget(addFile_);
  row->addWidget(extractFile_);
  row->addWidget(removeFile_);
  row->addStretch(1);
  files_ = new QListWidget(page);
  files_->setAccessibleName(texts::kPackageFileList);
  pl->addWidget(heading);
  pl->addLayout(row);
  pl->addWidget(files_, 1);
  auto selected = [this] { return files_->currentRow() < 0 ? size_t(-1) : size_t(files_->currentRow()); };
  connect(addFile_, &QPushButton::clicked, this, [this] { command([this] { editor_->addFile(); }); });
  connect(extractFile_, &QPushButton::clicked, this,
          [this, selected] { command([this, selected] { editor_->extractFile(selected()); }); });
  connect(removeFile_, &QPushButton::clicked, this, [this, selected] {
    const int row = files_->currentRow();
    command([this, selected] { editor_->removeFile(selected()); });
    if (files_->count() > 0 && row >= 0) files_->setCurrentRow(std::min(row, files_->count() - 1));
  });
  auto* del = new QShortcut(QKeySequence::Delete, files_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(del, &QShortcut::activated, removeFile_, &QPushButton::click);
  return page;
}

QPushButton* TTemplatePackagerForm::bandButton(const QString& caption) const {
  for (QPushButton* b : bandButtons_)
    if (b->text() == caption) return b;
  return nullptr;
}

QPushButton* TTemplatePackagerForm::fileBarButton(const QString& caption) const {
  for (QPushButton* b : fileBar_)
    if (b->text() == caption) return b;
  return nullptr;
}

// ---- Between the boxes and the editor --------------------------------------------------------------

void TTemplatePackagerForm::pullBoxes() {
  auto pull = [](const QString& now, const QString& shown, std::string& into) {
    // An untouched box keeps its text exactly as read.
    if (now != shown) into = templates::withLineBreaksOf(ss(now), into);
  };
  for (size_t i = 0; i < boxes_.size(); ++i) pull(boxText(boxes_[i]), shown_[i], editor_->sliceBoxes()[i]);
  pull(boxText(description_), shown_[6], editor_->descriptionBox());
}

void TTemplatePackagerForm::showState() {
  auto fill = [](QPlainTextEdit* box, const std::string& text, QString& shown) {
    const QString t = qs(text);
    if (boxText(box) != t) box->setPlainText(t);
    shown = boxText(box);
  };
  for (size_t i = 0; i < boxes_.size(); ++i) fill(boxes_[i], editor_->sliceBoxes()[i], shown_[i]);
  fill(description_, editor_->descriptionBox(), shown_[6]);
  label_->setText(templates::templateLabel(editor_->labelledTemplate()));
  status_->setText(qs(editor_->statusText()));
  const int row = files_->currentRow();
  files_->clear();
  for (const auto& item : editor_->fileList()) files_->addItem(qs(item.name));
  if (row >= 0 && row < files_->count()) files_->setCurrentRow(row);
  QWidget* page = pages_->widget(int(editor_->page()));
  if (pages_->currentWidget() != page) {
    pages_->setCurrentWidget(page);
  }
}

void TTemplatePackagerForm::command(const std::function<void()>& run) {
  pullBoxes();
  const unsigned shownBefore = editor_->templatesShown();
  try {
    run();
  } catch (const std::exception& e) {
    showErrorBox(this, QString::fromStdString(e.what()));
  }
  showState();
  // Showing a template selects its first slice tab.
  if (editor_->templatesShown() != shownBefore) tabs_->setCurrentIndex(0);
}

void TTemplatePackagerForm::openPackage(const QString& path) {
  command([this, path] { editor_->openFile(ss(path)); });
}

// ---- Commands of the window -----------------------------------------------------------------------

void TTemplatePackagerForm::insertItem(int slice) {
  if (slice < 1 || slice > templates::kTemplateCount) return;
  QComboBox* items = items_[size_t(slice - 1)];
  const int index = items->currentIndex();
  if (index < 0) return;
  const std::vector<std::string>& list = templates::insertableItems(slice);
  const std::string tag = templates::insertionFor(list[size_t(index)]);
  if (tag.empty()) return;
  QPlainTextEdit* box = boxes_[size_t(slice - 1)];
  QTextCursor c = box->textCursor();
  // The tag goes in front of the selection, which stays.
  const QString selected = c.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  c.insertText(qs(tag) + selected);
  box->setTextCursor(c);
  box->setFocus();
}

void TTemplatePackagerForm::findNext() {
  const QString what = find_->text();
  if (what.isEmpty()) return;
  if (editor_->page() != PackageEditor::Page::kSlices) return;
  QPlainTextEdit* box = boxes_[size_t(tabs_->currentIndex())];
  bool found = box->find(what);
  if (!found) {
    // From the top once more.
    QTextCursor c = box->textCursor();
    c.movePosition(QTextCursor::Start);
    box->setTextCursor(c);
    found = box->find(what);
  }
  findStatus_->setText(found ? QString() : QString(texts::kFindNotFound));
  if (found) box->ensureCursorVisible();
}

void TTemplatePackagerForm::preview() {
  command([this] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string index;
    try {
      index = editor_->preview(ss(programFolder_));
    } catch (...) {
      ui_.statusClose();
      QApplication::restoreOverrideCursor();
      throw;
    }
    QApplication::restoreOverrideCursor();
    if (index.empty()) return;
    const QUrl url = QUrl::fromLocalFile(qs(index));
    if (seams_.openUrl)
      seams_.openUrl(url);
    else
      QDesktopServices::openUrl(url);
  });
}

// Save As writes over a file of the name chosen, as the package's author asked.
QString TTemplatePackagerForm::askSaveFile(const QString& caption, const QString& filter, const QString& suffix,
                                           const QString& start) {
  return askFileToSave(this, caption, filter, start.isEmpty() ? programFolder_ : start, suffix);
}

void TTemplatePackagerForm::reject() {
  // "Close", Escape and the window's close box all come here.
  pullBoxes();
  bool mayClose = false;
  try {
    mayClose = editor_->mayClose();
  } catch (const std::exception& e) {
    showErrorBox(this, QString::fromStdString(e.what()));
  }
  showState();
  if (mayClose) QDialog::reject();
}

// ---- Place ------------------------------------------------------------------------------------------

void TTemplatePackagerForm::applyPlace(const WindowPlace& place, const QSize& desktop) {
  startMaximized_ = placeLikeEntryEditor(this, place, desktop, QSize(kMinWidth, kMinHeight));
}

void TTemplatePackagerForm::run() {
  if (startMaximized_) setWindowState(windowState() | Qt::WindowMaximized);
  exec();
}

}  // namespace tessary::app
