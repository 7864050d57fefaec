#include "app/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include "app/cat_list.h"
#include "app/file_dialogs.h"
#include "app/ed_template.h"
#include "app/entry_form.h"
#include "app/get_back.h"
#include "app/get_cat.h"
#include "app/get_file.h"
#include "app/get_pict.h"
#include "app/event_pump.h"
#include "app/exportdb2_form.h"
#include "app/helpform.h"
#include "app/opt_adv.h"
#include "app/opt_basic.h"
#include "app/opt_extra.h"
#include "app/opt_ftp.h"
#include "app/opt_rss.h"
#include "app/opt_template.h"
#include "app/opt_var.h"
#include "app/pop_status.h"
#include "app/splash.h"
#include "app/texts.h"
#include "generator/page_output.h"
#include "publish/ftp_blog.h"
#include "store/entries.h"
#include "store/maintenance.h"
#include "store/media.h"
#include "util/files.h"

namespace tessary::app {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

// The captions whose buttons follow the window state; every other command
// button is always enabled (while no command runs).
enum class Rule { Always, BlogOpen, NoBlog, Generated };

Rule ruleOf(const QString& caption, int page) {
  using namespace texts;
  if (page == -1) {
    if (caption == kAllMyBlogs || caption == kHelp || caption == kExit) return Rule::Always;
    return Rule::BlogOpen;  // the other side-bar buttons and its "Close Blog"
  }
  if (page == 0) {
    if (caption == kOpenBlog || caption == kStartNewBlog || caption == kRepairBlog || caption == kExportBlog)
      return Rule::NoBlog;
    if (caption == kCloseBlog || caption == kBackupBlog || caption == kCompactBlog) return Rule::BlogOpen;
    return Rule::Always;
  }
  if (page == 5 && caption != kGeneratePages) return Rule::Generated;
  return Rule::Always;
}

}  // namespace

// ---- Building ---------------------------------------------------------------------

TtheMainForm::TtheMainForm(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent),
      programFolder_(programFolder),
      settingsPath_(settingsFilePath(programFolder)),
      blog_(ss(programFolder), ui_) {
  ui_.setOwner(this);
  ui_.setDialogs(this);
  installHelpKey();
  setWindowTitle(texts::kCaption);
  setAccessibleName(texts::kCaption);

  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  buildTopPanel();
  outer->addWidget(topPanel_);

  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 0, 0);
  body->setSpacing(0);
  body->addWidget(buildSideBar());

  pages_ = new QStackedWidget(central);
  entryModel_ = new EntryGridModel(blog_, this);
  pictureModel_ = makePictureGridModel(blog_, this);
  fileModel_ = makeFileGridModel(blog_, this);
  optionModel_ = new OptionGridModel(blog_, this);
  grids_[0] = buildGrid(entryModel_, texts::kBlogEntries);
  grids_[1] = buildGrid(pictureModel_, texts::kBlogPictures);
  grids_[2] = buildGrid(fileModel_, texts::kExtraFiles);
  grids_[3] = buildGrid(optionModel_, texts::kOptions);
  log_ = new LogView(pages_);
  log_->setAccessibleName(texts::kProgressLog);
  EventPump::instance().setFlushHook([this] { log_->flush(); });

  using namespace texts;
  pages_->addWidget(buildPage(0, {kOpenBlog, kStartNewBlog, kCloseBlog, kBackupBlog, kCompactBlog, kRepairBlog,
                                  kTessaryOptions, kTemplateEditor, kExportBlog, kCheckForUpdates},
                              nullptr));
  pages_->addWidget(buildPage(1, {kAddEntry, kEditEntry, kRemoveEntry, kCloseBlog, kBackupBlog, kCompactBlog,
                                  kCategoryList},
                              grids_[0]));
  pages_->addWidget(buildPage(2, {kAddPicture, kViewPicture, kRemovePicture}, grids_[1]));
  pages_->addWidget(buildPage(3, {kAddFile, kRemoveFile, kSaveFileAs}, grids_[2]));
  pages_->addWidget(buildPage(4, {kBasicOptions, kAdvancedOptions, kChooseTemplate, kRssOptions, kPublishingOptions,
                                  kCustomVariables},
                              grids_[3]));
  pages_->addWidget(buildPage(5, {kGeneratePages, kPreviewPages, kPublishToWeb, kPublishNext10, kMarkAllAsNew,
                                  kMarkAllAsPublished},
                              log_));
  body->addWidget(pages_, 1);
  outer->addLayout(body, 1);
  setCentralWidget(central);

  buildMenu();
  wireCommands();
  formFont_.font = font();
  listsFont_.font = font();
  initialFontString_ = fontString(formFont_);
  showPage(kPageBlogs);
  applyWindowState();
  resize(1000, 680);
}

TtheMainForm::~TtheMainForm() {
  EventPump::instance().setFlushHook({});
  TStatusForm::closeStatus();
  try {
    if (blog_.isOpen()) blog_.CloseBlog();
  } catch (...) {
  }
}

QPushButton* TtheMainForm::makeButton(const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setAccessibleName(caption);
  b->setAutoDefault(false);
  return b;
}

void TtheMainForm::buildTopPanel() {
  topPanel_ = new BandWidget(this);
  topPanel_->setAccessibleName(texts::kCaption);
  auto* l = new QHBoxLayout(topPanel_);
  l->setContentsMargins(12, 8, 8, 8);
  l->setSpacing(6);
  auto* title = new QLabel(texts::kAppTitle, topPanel_);
  QFont f = title->font();
  f.setPointSizeF(f.pointSizeF() * 1.5);
  f.setBold(true);
  title->setFont(f);
  title->setObjectName("topTitle");
  l->addWidget(title);
  auto* blogName = new QLabel(topPanel_);
  blogName->setObjectName("topBlog");
  blogName->setTextInteractionFlags(Qt::NoTextInteraction);
  l->addSpacing(12);
  l->addWidget(blogName);
  l->addStretch(1);
  for (const char* c : {texts::kHelp, texts::kExit}) {
    QPushButton* b = makeButton(c, topPanel_);
    l->addWidget(b);
    buttons_.push_back({-1, b});
  }
}

QWidget* TtheMainForm::buildSideBar() {
  auto* bar = new QFrame(this);
  bar->setObjectName("sideBar");
  bar->setFrameShape(QFrame::StyledPanel);
  bar->setAccessibleName("Navigation");
  auto* l = new QVBoxLayout(bar);
  l->setContentsMargins(8, 10, 8, 10);
  l->setSpacing(6);
  using namespace texts;
  int n = 1;
  for (const char* c : {kAllMyBlogs, kBlogEntries, kBlogPictures, kExtraFiles, kOptions, kPublish, kCloseBlog}) {
    QPushButton* b = makeButton(c, bar);
    b->setMinimumHeight(b->sizeHint().height() + 6);
    if (n <= 6) {
      b->setCheckable(true);
      b->setToolTip(QStringLiteral("%1 (Ctrl+%2)").arg(c).arg(n));
      auto* sc = new QShortcut(QKeySequence(QStringLiteral("Ctrl+%1").arg(n)), this);
      connect(sc, &QShortcut::activated, b, [b] {
        if (b->isEnabled()) b->click();
      });
    } else {
      l->addSpacing(10);
    }
    ++n;
    l->addWidget(b);
    buttons_.push_back({-1, b});
  }
  l->addStretch(1);
  picture_ = new QToolButton(bar);
  picture_->setAutoRaise(true);
  picture_->setIcon(QIcon(productPicture(QSize(120, 63), devicePixelRatioF())));
  picture_->setIconSize(QSize(120, 63));
  picture_->setToolTip(kProgramInformationHint);
  picture_->setAccessibleName(kProgramInformationHint);
  l->addWidget(picture_, 0, Qt::AlignHCenter);
  return bar;
}

QTableView* TtheMainForm::buildGrid(TableGridModel* model, const QString& name) {
  QTableView* v = makeGridView(model, name, this);
  connect(v->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this, model](const QModelIndex& current) { gridRowChosen(model, current.row()); });
  return v;
}

QWidget* TtheMainForm::buildPage(int page, const std::vector<const char*>& captions, QWidget* content) {
  auto* w = new QWidget(pages_);
  auto* l = new QHBoxLayout(w);
  l->setContentsMargins(10, 10, 10, 10);
  l->setSpacing(10);
  auto* column = new QVBoxLayout;
  column->setSpacing(6);
  static const char* kTitles[] = {texts::kAllMyBlogs, texts::kBlogEntries, texts::kBlogPictures,
                                  texts::kExtraFiles, texts::kOptions, texts::kPublish};
  w->setAccessibleName(kTitles[page]);
  if (page == 0) {
    // The first page has no grid: its ten commands, each with a line on what it does.
    auto* gridHost = new QWidget(w);
    auto* grid = new QGridLayout(gridHost);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);
    int i = 0;
    for (const char* c : captions) {
      QPushButton* b = makeButton(c, gridHost);
      b->setMinimumHeight(b->sizeHint().height() + 8);
      b->setMinimumWidth(170);
      auto* what = new QLabel(gridHost);
      for (const auto& d : texts::kDescriptions)
        if (QString(d[0]) == c) what->setText(d[1]);
      what->setWordWrap(true);
      what->setEnabled(true);
      b->setAccessibleDescription(what->text());
      grid->addWidget(b, i, 0);
      grid->addWidget(what, i, 1);
      if (i == 1 || i == 5 || i == 7) grid->setRowMinimumHeight(++i, 10);  // groups: blogs, upkeep, tools
      buttons_.push_back({page, b});
      ++i;
    }
    grid->setColumnStretch(1, 1);
    auto* v = new QVBoxLayout;
    v->addWidget(gridHost);
    v->addStretch(1);
    l->addLayout(v, 1);
    return w;
  }
  for (const char* c : captions) {
    QPushButton* b = makeButton(c, w);
    column->addWidget(b);
    buttons_.push_back({page, b});
  }
  column->addStretch(1);
  l->addLayout(column);
  l->addWidget(content, 1);
  return w;
}

void TtheMainForm::buildMenu() {
  popup_ = new QMenu(this);
  QMenu* back = popup_->addMenu(texts::kChangeBackground);
  const char* names[] = {texts::kGrey, texts::kGreen, texts::kBrown};
  for (int i = 0; i < 3; ++i) {
    QAction* a = back->addAction(names[i]);
    connect(a, &QAction::triggered, this, [this, i] { setBackground(i); });
  }
  QMenu* fonts = popup_->addMenu(texts::kChangeDisplayFonts);
  connect(fonts->addAction(texts::kCaptionsAndButtons), &QAction::triggered, this, &TtheMainForm::cmdFontCaptions);
  connect(fonts->addAction(texts::kBlogEntryList), &QAction::triggered, this, &TtheMainForm::cmdFontLists);
  topPanel_->setContextMenuPolicy(Qt::DefaultContextMenu);
}

void TtheMainForm::contextMenuEvent(QContextMenuEvent* e) {
  if (busy_) return;
  const QPoint at = e->reason() == QContextMenuEvent::Mouse ? e->globalPos()
                                                            : topPanel_->mapToGlobal(QPoint(16, topPanel_->height()));
  popup_->popup(at);
}

void TtheMainForm::on(const char* caption, int page, const std::function<void()>& handler) {
  QPushButton* b = button(caption, page);
  if (b) connect(b, &QPushButton::clicked, this, handler);
}

void TtheMainForm::wireCommands() {
  using namespace texts;
  // Side bar and top panel.
  const char* nav[] = {kAllMyBlogs, kBlogEntries, kBlogPictures, kExtraFiles, kOptions, kPublish};
  for (int i = 0; i < 6; ++i) on(nav[i], -1, [this, i] { showPage(i); });
  on(kCloseBlog, -1, [this] { cmdCloseBlog(true); });
  on(kHelp, -1, [this] { showHelp(kTopicWelcome); });
  on(kExit, -1, [this] { close(); });
  connect(picture_, &QToolButton::clicked, this, &TtheMainForm::showProgramInformation);
  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, [this] {
    if (!busy_) showHelp(texts::kTopicWelcome);
  });

  // Page 0.
  on(kOpenBlog, 0, [this] { cmdOpenBlog(); });
  on(kStartNewBlog, 0, [this] { cmdNewBlog(); });
  on(kCloseBlog, 0, [this] { cmdCloseBlog(false); });
  on(kBackupBlog, 0, [this] { runCommand(kBackupBlog, [this] { store::BackupBlog(blog_); }); });
  on(kCompactBlog, 0, [this] { runCommand(kCompactBlog, [this] { store::CompactBlog(blog_); }); });
  on(kRepairBlog, 0, [this] { cmdRepairBlog(); });
  on(kTessaryOptions, 0, [this] { cmdProgramOptions(); });
  on(kTemplateEditor, 0, [this] { runCommand(kTemplateEditor, [this] { runTemplateEditor(); }); });
  on(kExportBlog, 0, [this] { cmdExportBlog(); });
  on(kCheckForUpdates, 0, [] { QDesktopServices::openUrl(QUrl(kProjectPage)); });

  // Page 1.
  on(kAddEntry, 1, [this] { runCommand(kAddEntry, [this] { store::AddEntry(blog_); }); });
  on(kEditEntry, 1, [this] { runCommand(kEditEntry, [this] { store::EditEntry(blog_); }); });
  on(kRemoveEntry, 1, [this] { runCommand(kRemoveEntry, [this] { store::RemoveEntry(blog_); }); });
  on(kCloseBlog, 1, [this] { cmdCloseBlog(false); });
  on(kBackupBlog, 1, [this] { runCommand(kBackupBlog, [this] { store::BackupBlog(blog_); }); });
  on(kCompactBlog, 1, [this] { runCommand(kCompactBlog, [this] { store::CompactBlog(blog_); }); });
  on(kCategoryList, 1, [this] { runCommand(kCategoryList, [this] { runCategoryList(); }); });
  connect(grids_[0], &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
    if (i.isValid() && !busy_) runCommand(kEditEntry, [this] { store::EditEntry(blog_); });
  });

  // Page 2.
  on(kAddPicture, 2, [this] { cmdAddPicture(); });
  on(kViewPicture, 2, [this] { runCommand(kViewPicture, [this] { cmdViewPicture(); }); });
  on(kRemovePicture, 2, [this] { runCommand(kRemovePicture, [this] { store::RemoveBlogPicture(blog_); }); });
  connect(grids_[1], &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
    if (i.isValid() && !busy_) runCommand(kViewPicture, [this] { cmdViewPicture(); });
  });

  // Page 3 (a double click on the file grid does nothing).
  on(kAddFile, 3, [this] { cmdAddFile(); });
  on(kRemoveFile, 3, [this] { runCommand(kRemoveFile, [this] { store::RemoveBlogFile(blog_); }); });
  on(kSaveFileAs, 3, [this] { cmdSaveFileAs(); });

  // Page 4.
  on(kBasicOptions, 4, [this] { cmdOptionDialog(kBasicOptions, &TtheMainForm::runBasicOptions); });
  on(kAdvancedOptions, 4, [this] { cmdOptionDialog(kAdvancedOptions, &TtheMainForm::runAdvancedOptions); });
  on(kChooseTemplate, 4, [this] { cmdOptionDialog(kChooseTemplate, &TtheMainForm::runTemplateChooser); });
  on(kRssOptions, 4, [this] { cmdOptionDialog(kRssOptions, &TtheMainForm::runRssOptions); });
  on(kPublishingOptions, 4, [this] { cmdOptionDialog(kPublishingOptions, &TtheMainForm::runPublishingOptions); });
  on(kCustomVariables, 4, [this] { cmdOptionDialog(kCustomVariables, &TtheMainForm::runCustomVariables); });
  connect(grids_[3], &QTableView::doubleClicked, this, &TtheMainForm::cmdOptionGridDoubleClick);

  // Page 5.
  on(kGeneratePages, 5, [this] {
    runCommand(kGeneratePages, [this] {
      gen_->GeneratePages();
      generated_ = true;
    });
  });
  on(kPreviewPages, 5, [this] {
    runCommand(kPreviewPages, [this] {
      const generator::PreviewResult r = generator::PreviewPages(*gen_);
      if (!r.ok) ui_.showMessage(r.message);
      else QDesktopServices::openUrl(QUrl::fromLocalFile(qs(r.path)));
    });
  });
  on(kPublishToWeb, 5, [this] { cmdPublish(publish::kPublishAllLimit, kPublishToWeb); });
  on(kPublishNext10, 5, [this] { cmdPublish(publish::kPublishNextLimit, kPublishNext10); });
  on(kMarkAllAsNew, 5, [this] { runCommand(kMarkAllAsNew, [this] { generator::MarkAllAsNew(blog_); }); });
  on(kMarkAllAsPublished, 5,
     [this] { runCommand(kMarkAllAsPublished, [this] { generator::MarkAllAsPublished(blog_); }); });
}

QPushButton* TtheMainForm::button(const QString& caption, int page) const {
  for (const auto& [p, b] : buttons_)
    if (p == page && b->text() == caption) return b;
  return nullptr;
}

// ---- State --------------------------------------------------------------------------

int TtheMainForm::currentPage() const { return pages_->currentIndex(); }

void TtheMainForm::showPage(int page) {
  if (page != kPageBlogs && !blog_.isOpen()) return;
  pages_->setCurrentIndex(page);
  const char* nav[] = {texts::kAllMyBlogs, texts::kBlogEntries, texts::kBlogPictures,
                       texts::kExtraFiles, texts::kOptions,     texts::kPublish};
  for (int i = 0; i < 6; ++i)
    if (QPushButton* b = button(nav[i], -1)) b->setChecked(i == page);
}

void TtheMainForm::applyWindowState() {
  const bool open = blog_.isOpen();
  for (const auto& [page, b] : buttons_) {
    bool enabled = true;
    switch (ruleOf(b->text(), page)) {
      case Rule::Always: enabled = true; break;
      case Rule::BlogOpen: enabled = open; break;
      case Rule::NoBlog: enabled = !open; break;
      case Rule::Generated: enabled = open && generated_; break;
    }
    b->setEnabled(enabled && !busy_);
  }
  picture_->setEnabled(!busy_);
  for (QTableView* g : grids_) g->setEnabled(!busy_);
}

void TtheMainForm::showBlogName() {
  auto* name = topPanel_->findChild<QLabel*>("topBlog");
  if (!name) return;
  name->setText(blog_.isOpen() ? qs(util::fileNameOf(blog_.fileName())) : QString());
  name->setToolTip(blog_.isOpen() ? qs(blog_.fileName()) : QString());
  name->setAccessibleName(name->text());
}

void TtheMainForm::enterBlogOpen() {
  showBlogName();
  generated_ = false;
  gen_ = std::make_unique<generator::Generator>(blog_, *log_);
  log_->ClearLog();
  refreshGrids(true);
  showPage(kPageEntries);
}

void TtheMainForm::enterNoBlog() {
  showBlogName();
  generated_ = false;
  refreshGrids(true);
  showPage(kPageBlogs);
}

void TtheMainForm::refreshGrids(bool all) {
  TableGridModel* models[] = {entryModel_, pictureModel_, fileModel_, optionModel_};
  for (TableGridModel* m : models) {
    if (all) m->markStale();
    m->reloadIfStale();
  }
  selectCurrentRows();
}

void TtheMainForm::selectCurrentRows() {
  syncingSelection_ = true;
  TableGridModel* models[] = {entryModel_, pictureModel_, fileModel_, optionModel_};
  for (int i = 0; i < 4; ++i) {
    if (blog_.isOpen()) selectTableRow(grids_[i], models[i]);
    else grids_[i]->selectionModel()->clear();
  }
  syncingSelection_ = false;
}

void TtheMainForm::gridRowChosen(TableGridModel* model, int row) {
  if (syncingSelection_ || busy_ || !blog_.isOpen() || row < 0) return;
  store::Table* t = model->table();
  if (t && t->isOpen()) t->gotoBookmark(model->rowIdAt(row));
}

bool TtheMainForm::runCommand(const QString& name, const std::function<void()>& command) {
  if (busy_) {
    QMessageBox::information(this, texts::kAppTitle, QString(texts::kBusy).arg(runningCommand_));
    return false;
  }
  busy_ = true;
  runningCommand_ = name;
  QWidget* focus = QApplication::focusWidget();
  applyWindowState();
  try {
    command();
  } catch (const std::exception& e) {
    log_->flush();
    TStatusForm::closeStatus();
    showErrorBox(this, QString::fromUtf8(e.what()));
  } catch (...) {
    log_->flush();
    TStatusForm::closeStatus();
    showErrorBox(this, QStringLiteral("%1 failed.").arg(name));
  }
  log_->flush();
  busy_ = false;
  runningCommand_.clear();
  // The blog may have been closed and opened again (backup, compaction).
  if (blog_.isOpen() != static_cast<bool>(gen_) || (!blog_.isOpen() && currentPage() != kPageBlogs)) {
    if (blog_.isOpen()) enterBlogOpen();
    else {
      gen_.reset();
      enterNoBlog();
    }
  }
  refreshGrids(false);
  applyWindowState();
  if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus();
  Q_EMIT commandFinished(name);
  if (exitRequested_) close();
  return true;
}

// ---- Settings and fonts -------------------------------------------------------------

void TtheMainForm::loadSessionSettings() {
  const bool firstStart = !QFileInfo::exists(settingsPath_);
  settings_ = readSessionSettings(settingsPath_);
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QSize desktop = screen ? screen->size() : QSize(1920, 1080);
  // The designed place: a roomy window in the middle of the desktop's free area.
  const QRect free = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), desktop);
  const QSize size(std::min(1100, free.width() * 9 / 10), std::min(720, free.height() * 9 / 10));
  const QRect designed(free.center() - QPoint(size.width() / 2, size.height() / 2), size);
  // On the very first start (no settings file yet) the window takes the designed
  // place rather than the small default one; every later start the saved one.
  const QRect r = firstStart ? designed : placeWindow(settings_.form, designed, desktop);
  resize(r.size());
  move(r.topLeft());
  startMaximized_ = settings_.form.initMax;
  setBackground(settings_.back);
  applyFonts();
}

void TtheMainForm::showAsSaved() {
  if (startMaximized_) showMaximized();
  else show();
}

bool TtheMainForm::saveSessionSettings() {
  const bool maximized = isMaximized();
  if (!maximized) {
    settings_.form.top = frameGeometry().top();
    settings_.form.left = frameGeometry().left();
    settings_.form.height = geometry().height();
    settings_.form.width = geometry().width();
  }
  settings_.form.initMax = maximized;
  return writeSessionSettings(settingsPath_, settings_, !maximized);
}

void TtheMainForm::setBackground(int back) {
  settings_.back = back;
  BandWidget::setCurrentScheme(back);
  topPanel_->setScheme(back);
  for (const char* n : {"topTitle", "topBlog"}) {
    if (auto* label = topPanel_->findChild<QLabel*>(n)) {
      QPalette p = label->palette();
      p.setColor(QPalette::WindowText, bandTextColour(back));
      label->setPalette(p);
    }
  }
}

void TtheMainForm::applyFonts() {
  applyFontString(formFont_, settings_.fontForm);
  applyDisplayFont(this, formFont_);
  applyFontString(listsFont_, settings_.fontLists);
  for (QTableView* g : grids_) {
    applyDisplayFont(g, listsFont_);
    g->verticalHeader()->setDefaultSectionSize(QFontMetrics(listsFont_.font).height() + 8);
  }
  applyDisplayFont(log_, listsFont_);
}

void TtheMainForm::cmdFontCaptions() {
  bool ok = false;
  const QFont f = QFontDialog::getFont(&ok, font(), this, texts::kCaptionsAndButtons);
  if (!ok) return;
  formFont_.font = f;
  settings_.fontForm = fontString(formFont_);
  applyFonts();
}

void TtheMainForm::cmdFontLists() {
  bool ok = false;
  const QFont f = QFontDialog::getFont(&ok, grids_[0]->font(), this, texts::kBlogEntryList);
  if (!ok) return;
  listsFont_.font = f;
  settings_.fontLists = fontString(listsFont_);
  applyFonts();
}

void TtheMainForm::cmdProgramOptions() {
  TProgramOptionsForm dlg(this, initialFontString_);
  dlg.setHelpOpener([this](const QString& topic) { showHelp(topic); });
  dlg.setOptionsBack(settings_.back);
  dlg.setOptionsFontForm(settings_.fontForm);
  dlg.setOptionsFontLists(settings_.fontLists);
  dlg.setOptionFontEntryText(settings_.fontEntryText);
  dlg.exec();
  if (dlg.OptionsResult() != 1) return;
  if (dlg.OptionsBack() != settings_.back) setBackground(dlg.OptionsBack());
  if (!sameFontString(dlg.OptionsFontForm(), settings_.fontForm) ||
      !sameFontString(dlg.OptionsFontLists(), settings_.fontLists)) {
    settings_.fontForm = dlg.OptionsFontForm();
    settings_.fontLists = dlg.OptionsFontLists();
    applyFonts();
  }
  if (!sameFontString(dlg.OptionFontEntryText(), settings_.fontEntryText))
    settings_.fontEntryText = dlg.OptionFontEntryText();
}

// ---- Commands -------------------------------------------------------------------------

QString TtheMainForm::askOpenFile(const QString& caption, const QString& filter, const QString& suffix) {
  return askFileToOpen(this, caption, filter, programFolder_, suffix);
}

// The core says what it does with an existing file.
QString TtheMainForm::askSaveFile(const QString& caption, const QString& filter, const QString& suffix,
                                  const QString& start) {
  return askFileToSave(this, caption, filter, start.isEmpty() ? programFolder_ : start, suffix);
}

void TtheMainForm::openBlogFile(const QString& path) {
  runCommand(texts::kOpenBlog, [this, path] {
    if (blog_.isOpen()) return;
    blog_.OpenBlog(ss(path));
    enterBlogOpen();
  });
}

void TtheMainForm::activateFromOtherStart(const QString& blogFile) {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  if (!blogFile.isEmpty() && !busy_ && !blog_.isOpen() && !QApplication::activeModalWidget())
    openBlogFile(blogFile);
}

void TtheMainForm::cmdOpenBlog() {
  const QString f = askOpenFile(texts::kOpenCaption, texts::kFilterA, "zdb");
  if (!f.isEmpty()) openBlogFile(f);
}

void TtheMainForm::cmdNewBlog() {
  const QString f = askSaveFile(texts::kNewCaption, texts::kFilterB, "zdb", {});
  if (f.isEmpty()) return;
  runCommand(texts::kStartNewBlog, [this, f] {
    if (blog_.CreateBlog(ss(f))) enterBlogOpen();
  });
}

void TtheMainForm::cmdCloseBlog(bool ask) {
  if (ask && ui_.confirm(texts::kCloseBlogQuestion, store::Buttons::YesNo) != store::Answer::Yes) return;
  runCommand(texts::kCloseBlog, [this] {
    blog_.CloseBlog();
    gen_.reset();
    enterNoBlog();
  });
}

void TtheMainForm::cmdRepairBlog() {
  const QString f = askOpenFile(texts::kRepairCaption, texts::kFilterA, "zdb");
  if (!f.isEmpty()) runCommand(texts::kRepairBlog, [this, f] { store::RepairBlog(blog_, ss(f)); });
}

void TtheMainForm::cmdExportBlog() {
  const QString f = askOpenFile(texts::kExportCaption, texts::kFilterA, "zdb");
  if (f.isEmpty()) return;
  runCommand(texts::kExportBlog, [this, f] {
    TExportBlogForm1 dlg(this, blog_, ui_, f, programFolder_);
    dlg.setHelpOpener([this](const QString& topic) { showHelp(topic); });
    dlg.exec();
  });
}

void TtheMainForm::cmdAddPicture() {
  const QString f = askOpenFile(texts::kAddPicture, texts::kFilterC, {});
  if (!f.isEmpty()) runCommand(texts::kAddPicture, [this, f] { store::AddBlogPicture(blog_, ss(f)); });
}

void TtheMainForm::cmdViewPicture() {
  store::Table& t = blog_.tblPictures();
  if (!store::hasCurrentRow(t)) return;
  const std::string folder = gen_->outputFolderOfBlog();
  if (!util::createDirectories(folder).ok()) throw store::StoreError("Cannot create " + folder);
  const std::string name = t.asString("BlogPictureName");
  if (!util::isBareFileName(name))
    throw store::StoreError("The picture name \"" + name + "\" is not a bare file name; it is not written.");
  const std::string path = util::joinPath(folder, name);
  const Status st = t.saveBlobToFile("BlogPicture", path);
  if (!st.ok()) throw store::StoreError(st.message());
  QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
}

void TtheMainForm::cmdAddFile() {
  const QString f = askOpenFile(texts::kAddFile, texts::kFilterD, {});
  if (!f.isEmpty()) runCommand(texts::kAddFile, [this, f] { store::AddBlogFile(blog_, ss(f)); });
}

void TtheMainForm::cmdSaveFileAs() {
  if (!store::hasCurrentRow(blog_.tblFiles())) return;
  const QString start = qs(store::suggestedSavePath(blog_));
  const QString f = askSaveFile(texts::kSaveFileAs, texts::kFilterD, {}, start);
  if (!f.isEmpty()) runCommand(texts::kSaveFileAs, [this, f] { store::SaveBlogFileAs(blog_, ss(f)); });
}

void TtheMainForm::cmdOptionDialog(const QString& name, bool (TtheMainForm::*dialog)(store::BlogOptionsRec&)) {
  runCommand(name, [this, dialog] {
    store::BlogOptionsRec copy = blog_.options();
    if (!(this->*dialog)(copy)) return;
    blog_.options() = copy;
    blog_.SaveOptions();
  });
}

void TtheMainForm::cmdOptionGridDoubleClick(const QModelIndex& index) {
  if (busy_ || !index.isValid() || optionModel_->rowCount() == 0) return;
  store::Table& t = blog_.tblOptions();
  if (!store::hasCurrentRow(t)) return;
  const int key = t.asInteger("OptionKey");
  using namespace texts;
  if (key >= 101 && key <= 189) cmdOptionDialog(kBasicOptions, &TtheMainForm::runBasicOptions);
  else if (key >= 190 && key <= 199) runCommand(kBackupBlog, [this] { store::BackupBlog(blog_); });
  else if (key >= 201 && key <= 299) cmdOptionDialog(kAdvancedOptions, &TtheMainForm::runAdvancedOptions);
  else if (key >= 301 && key <= 399) cmdOptionDialog(kChooseTemplate, &TtheMainForm::runTemplateChooser);
  else if (key >= 401 && key <= 499) cmdOptionDialog(kRssOptions, &TtheMainForm::runRssOptions);
  else if (key >= 501 && key <= 599) cmdOptionDialog(kPublishingOptions, &TtheMainForm::runPublishingOptions);
  else if (key >= 601 && key <= 699) cmdOptionDialog(kCustomVariables, &TtheMainForm::runCustomVariables);
}

void TtheMainForm::cmdPublish(int limit, const QString& name) {
  runCommand(name, [this, limit] { publish::PublishPages(blog_, gen_->outputFolder(), *log_, limit); });
}

void TtheMainForm::showProgramInformation() {
  if (SplashWindow::showing()) return;
  SplashWindow info(this, true);
  info.exec();
}

void TtheMainForm::closeEvent(QCloseEvent* e) {
  if (busy_) {
    // The run ends first; the window closes as soon as it has.
    exitRequested_ = true;
    e->ignore();
    return;
  }
  try {
    if (blog_.isOpen()) blog_.CloseBlog();
  } catch (const std::exception& ex) {
    showErrorBox(this, QString::fromUtf8(ex.what()));
  }
  gen_.reset();
  saveSessionSettings();
  TStatusForm::closeStatus();
  e->accept();
}

// ---- Seams ------------------------------------------------------------------------------

bool TtheMainForm::runBasicOptions(store::BlogOptionsRec& rec) {
  return runBlogOptionsDialog<TOptBasicForm>(this, [this](const QString& t) { showHelp(t); }, rec);
}
bool TtheMainForm::runTemplateChooser(store::BlogOptionsRec& rec) {
  TOptTemplateForm form(this, programFolder_, &ui_);
  form.setHelpOpener([this](const QString& t) { showHelp(t); });
  form.setOptionsRec(rec);
  form.exec();
  if (form.OptionsResult() != 1) return false;
  rec = form.OptionsRec();
  return true;
}
bool TtheMainForm::runEntryEditor(store::BlogRec& rec, bool categoryMode) {
  EntryEditorSeams seams;
  seams.help = [this](const QString& topic) { showHelp(topic); };
  // A title by key without moving the category table's current row.
  seams.categoryTitle = [this](int32_t key) -> std::optional<std::string> {
    store::Table& t = blog_.tblCategory();
    if (key <= 0 || !t.isOpen()) return std::nullopt;
    const store::Table::Bookmark was = t.bookmark();
    if (!t.gotoBookmark(key)) return std::nullopt;
    std::string title = t.asString("CategoryTitle");
    if (was != 0) t.gotoBookmark(was);
    return title;
  };
  // The category picker stands over the editor, the picture and file pickers over the main window.
  seams.selectCategory = [this]() -> std::optional<CategoryChoice> {
    QWidget* editor = QApplication::activeModalWidget();
    TGetCategoryForm picker(editor ? editor : this, blog_);
    picker.setHelpOpener([this](const QString& topic) { showHelp(topic); });
    if (picker.exec() != 1) return std::nullopt;
    return picker.choice();
  };
  seams.insertPicture = [this]() -> std::optional<PictureChoice> {
    TGetPictureForm picker(this, blog_);
    picker.setHelpOpener([this](const QString& topic) { showHelp(topic); });
    if (picker.exec() != 1) return std::nullopt;
    return picker.choice();
  };
  seams.insertFile = [this]() -> std::optional<FileChoice> {
    TGetFileForm picker(this, blog_);
    picker.setHelpOpener([this](const QString& topic) { showHelp(topic); });
    if (picker.exec() != 1) return std::nullopt;
    return picker.choice();
  };
  TBlogEntryForm form(this, std::move(seams));
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  form.applyPlace(settings_.entry, screen ? screen->size() : QSize(1920, 1080));
  form.applyFonts(settings_.fontForm, settings_.fontEntryText);
  form.setMyBlogFunction(categoryMode ? TBlogEntryForm::kCategoryMode : TBlogEntryForm::kEntryMode);
  form.setMyBlogResult(0);
  form.setMyBlogRec(rec);
  form.run();
  settings_.entry = form.keptPlace(settings_.entry);
  if (form.myBlogResult() != 1) return false;
  rec = form.myBlogRec();
  return true;
}
bool TtheMainForm::runBackupDialog(store::BackupSettings& settings) {
  TGetBackupForm dlg(this, programFolder_);
  dlg.setHelpOpener([this](const QString& topic) { showHelp(topic); });
  dlg.setSettings(settings);
  if (dlg.exec() != 1) return false;
  settings = dlg.settings();
  return true;
}
bool TtheMainForm::runAdvancedOptions(store::BlogOptionsRec& rec) {
  return runBlogOptionsDialog<TOptAdvForm>(this, [this](const QString& t) { showHelp(t); }, rec);
}
bool TtheMainForm::runRssOptions(store::BlogOptionsRec& rec) {
  return runBlogOptionsDialog<TOptRssForm>(this, [this](const QString& t) { showHelp(t); }, rec);
}
bool TtheMainForm::runPublishingOptions(store::BlogOptionsRec& rec) {
  return runBlogOptionsDialog<TOptFtpForm>(this, [this](const QString& t) { showHelp(t); }, rec, programFolder_);
}
bool TtheMainForm::runCustomVariables(store::BlogOptionsRec& rec) {
  return runBlogOptionsDialog<TOptVarForm>(this, [this](const QString& t) { showHelp(t); }, rec);
}
void TtheMainForm::runCategoryList() {
  if (!blog_.isOpen()) return;
  TCategoryListForm list(this, blog_);
  list.setHelpOpener([this](const QString& topic) { showHelp(topic); });
  list.applyFonts(formFont_, listsFont_);
  list.exec();
}
void TtheMainForm::runTemplateEditor() {
  TemplatePackagerSeams seams;
  seams.help = [this](const QString& topic) { showHelp(topic); };
  TTemplatePackagerForm form(this, programFolder_, std::move(seams));
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  form.applyPlace(settings_.entry, screen ? screen->size() : QSize(1920, 1080));
  form.run();
}
void TtheMainForm::showHelp(const QString& topic) { showHelpTopic(this, topic); }

}  // namespace tessary::app
