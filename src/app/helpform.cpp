#include "app/helpform.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWindow>

#include "app/dialog_frame.h"
#include "app/help_texts.h"
#include "app/texts.h"

// Resources of a static library are registered by name, outside any namespace.
static void registerHelpResources() { Q_INIT_RESOURCE(help); }

namespace tessary::app {

namespace {

QPointer<TTheHelpForm> gCurrent;

// The three list icons, drawn here: a folder (level 1), a page (level 2) and a
// subtopic arrow (level 3), 16 by 16 pixels.
QPixmap drawIcon(int level, qreal ratio) {
  QPixmap pm(QSize(16, 16) * ratio);
  pm.setDevicePixelRatio(ratio);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(90, 70, 20), 1));
  if (level == 1) {
    p.setBrush(QColor(232, 190, 70));
    p.drawRect(QRectF(1.5, 3.5, 6, 3));
    p.drawRect(QRectF(1.5, 5.5, 13, 8));
  } else if (level == 2) {
    p.setPen(QPen(QColor(70, 70, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9, 13));
    for (int y = 5; y <= 11; y += 3) p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
  } else {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 110, 60));
    const QPointF arrow[] = {{5, 4}, {12, 8}, {5, 12}};
    p.drawPolygon(arrow, 3);
  }
  return pm;
}

// Drawn once for the screen's pixel ratio, so that they stay sharp when scaled.
const QPixmap& icon(int level) {
  static const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  static const QPixmap icons[3] = {drawIcon(1, ratio), drawIcon(2, ratio), drawIcon(3, ratio)};
  return icons[level - 1];
}

// The plain text of a topic document, for the search.
QString plainTopicText(const QString& topic) {
  const std::optional<QByteArray> doc = helpTopicDocument(topic);
  if (!doc || doc->isEmpty()) return {};
  QTextDocument d;
  d.setHtml(QString::fromUtf8(*doc));
  return d.toPlainText();
}

}  // namespace

int HelpContentsItem::level() const {
  if (itemText.isEmpty()) return -1;
  const QChar c = itemText.at(0);
  return (c >= '0' && c <= '3') ? c.unicode() - '0' : -1;
}

QString HelpContentsItem::shownText() const { return itemText.mid(1).left(99); }

std::vector<HelpContentsItem> parseHelpContents(const QByteArray& bytes) {
  std::vector<HelpContentsItem> items;
  QString rest = QString::fromUtf8(bytes);
  while (static_cast<int>(items.size()) < kHelpMaxEntries) {
    const qsizetype open = rest.indexOf('[');
    if (open < 0) break;
    const qsizetype close = rest.indexOf(']', open + 1);
    // An item without its "]" runs to the end of the text.
    const QString inner = close < 0 ? rest.mid(open + 1) : rest.mid(open + 1, close - open - 1);
    const qsizetype bar = inner.indexOf('|');
    items.push_back(bar < 0 ? HelpContentsItem{inner, QString()} : HelpContentsItem{inner.left(bar), inner.mid(bar + 1)});
    if (close < 0) break;
    rest = rest.mid(close + 1);
  }
  return items;
}

int helpTopicIndex(const std::vector<HelpContentsItem>& items, const QString& topic) {
  int found = -1;
  const int searched = std::min<int>(static_cast<int>(items.size()), kHelpSearchedEntries);
  for (int i = 0; i < searched; ++i)
    if (items[i].topic == topic) found = i;
  return found < 0 ? 0 : found;
}

const std::vector<HelpContentsItem>& helpContents() {
  static const std::vector<HelpContentsItem> items = [] {
    registerHelpResources();
    QFile f(help_texts::kContentsResource);
    return f.open(QIODevice::ReadOnly) ? parseHelpContents(f.readAll()) : std::vector<HelpContentsItem>{};
  }();
  return items;
}

std::optional<QByteArray> helpTopicDocument(const QString& topic) {
  registerHelpResources();
  if (topic.isEmpty()) return std::nullopt;
  QFile f(help_texts::kTopicResourcePrefix + topic.toUpper());
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return f.readAll();
}

// ---- Drawing the contents ------------------------------------------------------------

int HelpContentsDelegate::textIndent(int level) {
  static const int indents[] = {4, 24, 32, 40};
  return level >= 0 && level <= 3 ? indents[level] : 4;
}

int HelpContentsDelegate::iconIndent(int level) {
  static const int indents[] = {-1, 6, 14, 22};
  return level >= 0 && level <= 3 ? indents[level] : -1;
}

const QColor& HelpContentsDelegate::listColour() {
  static const QColor c(255, 255, 208);
  return c;
}

const QColor& HelpContentsDelegate::selectedColour() {
  static const QColor c(255, 255, 0);
  return c;
}

QSize HelpContentsDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QFont bold = option.font;
  bold.setBold(true);
  const QString text = index.data(Qt::DisplayRole).toString();
  const int level = index.data(Qt::UserRole + 1).toInt();
  return {textIndent(level) + QFontMetrics(bold).horizontalAdvance(text) + 8, kLineHeight};
}

void HelpContentsDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const bool selected = option.state & QStyle::State_Selected;
  const int level = index.data(Qt::UserRole + 1).toInt();
  const QRect r = option.rect;
  p->save();
  p->fillRect(r, selected ? selectedColour() : listColour());
  const int iconX = iconIndent(level);
  if (iconX >= 0) p->drawPixmap(r.left() + iconX, r.top() + 2, icon(level));
  QFont f = option.font;
  f.setBold(selected || level == 0);
  p->setFont(f);
  p->setPen(Qt::black);
  const QRect textRect(r.left() + textIndent(level), r.top() + 4, r.width() - textIndent(level), r.height() - 4);
  p->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
  if (option.state & QStyle::State_HasFocus) {
    // A dotted frame shows the keyboard focus without hiding the colours.
    p->setPen(QPen(Qt::black, 1, Qt::DotLine));
    p->drawRect(r.adjusted(0, 0, -1, -1));
  }
  p->restore();
}

// ---- The window ------------------------------------------------------------------------

TTheHelpForm::TTheHelpForm(QWidget* owner) : QWidget(owner, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(help_texts::kWindowTitle);
  setMinimumSize(480, 360);
  setMaximumSize(1200, 800);
  resize(860, 600);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  QList<QPushButton*> buttons;
  band_ = makeTopBand(this, help_texts::kBandTitle, {help_texts::kPrint, help_texts::kCloseHelp}, buttons);
  print_ = buttons[0];
  close_ = buttons[1];
  outer->addWidget(band_);

  auto* split = new QSplitter(Qt::Horizontal, this);
  split->setChildrenCollapsible(false);
  auto* left = new QWidget(split);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(4, 4, 0, 4);
  leftLayout->setSpacing(4);
  search_ = new QLineEdit(left);
  search_->setPlaceholderText(help_texts::kSearchHint);
  search_->setAccessibleName(help_texts::kSearchHint);
  search_->setClearButtonEnabled(true);
  leftLayout->addWidget(search_);
  list_ = new QListWidget(left);
  list_->setAccessibleName(help_texts::kContentsName);
  list_->setItemDelegate(new HelpContentsDelegate(list_));
  list_->setUniformItemSizes(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  QPalette pal = list_->palette();
  pal.setColor(QPalette::Base, HelpContentsDelegate::listColour());
  list_->setPalette(pal);
  list_->setAutoFillBackground(true);
  leftLayout->addWidget(list_, 1);

  text_ = new QTextBrowser(split);
  text_->setAccessibleName(help_texts::kTopicName);
  text_->setReadOnly(true);
  text_->setOpenLinks(false);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  split->addWidget(left);
  split->addWidget(text_);
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  split->setSizes({280, 580});
  outer->addWidget(split, 1);

  const std::vector<HelpContentsItem>& items = helpContents();
  searchTexts_.reserve(items.size());
  for (const HelpContentsItem& item : items) {
    auto* line = new QListWidgetItem(item.shownText(), list_);
    line->setData(Qt::UserRole, item.topic);
    line->setData(Qt::UserRole + 1, item.level());
    searchTexts_.push_back(QString());  // filled on the first search
  }

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) loadLine(row);
  });
  connect(text_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
    if (url.scheme() == QLatin1String("topic")) selectTopic(url.path());
  });
  connect(search_, &QLineEdit::textChanged, this, &TTheHelpForm::filterTopics);
  connect(search_, &QLineEdit::returnPressed, this, &TTheHelpForm::showFirstMatch);
  connect(print_, &QPushButton::clicked, this, &TTheHelpForm::printClicked);
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  search_->installEventFilter(this);

  // Centred on the screen, and no larger than it.
  QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    resize(std::max(minimumWidth(), std::min(width(), area.width() - 40)),
           std::max(minimumHeight(), std::min(height(), area.height() - 60)));
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
  else loadLine(-1);
}

TTheHelpForm* TTheHelpForm::current() { return gCurrent.data(); }

int TTheHelpForm::selectedLine() const { return list_->currentRow(); }

void TTheHelpForm::selectTopic(const QString& topic) {
  const int row = helpTopicIndex(helpContents(), topic);
  if (row < list_->count()) {
    list_->setRowHidden(row, false);
    if (list_->currentRow() == row) loadLine(row);
    else list_->setCurrentRow(row);
    if (isVisible()) list_->scrollToItem(list_->item(row));
  }
}

void TTheHelpForm::loadLine(int row) {
  const QString topic = row >= 0 && row < list_->count() ? list_->item(row)->data(Qt::UserRole).toString() : QString();
  const std::optional<QByteArray> doc = helpTopicDocument(topic);
  if (!doc) {
    text_->clear();
    text_->setPlainText(help_texts::kTopicUnavailable);
  } else if (doc->isEmpty()) {
    text_->clear();
  } else {
    text_->setHtml(QString::fromUtf8(*doc));
  }
  text_->verticalScrollBar()->setValue(0);
  QTextCursor c = text_->textCursor();
  c.movePosition(QTextCursor::Start);
  text_->setTextCursor(c);
  shownTopic_ = topic;
  Q_EMIT topicShown(topic);
}

void TTheHelpForm::filterTopics(const QString& query) {
  const QStringList words = query.toLower().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  const std::vector<HelpContentsItem>& items = helpContents();
  for (int row = 0; row < list_->count(); ++row) {
    bool show = true;
    if (!words.isEmpty()) {
      QString& text = searchTexts_[static_cast<size_t>(row)];
      if (text.isEmpty()) text = (items[static_cast<size_t>(row)].shownText() + '\n' +
                                  plainTopicText(items[static_cast<size_t>(row)].topic)).toLower();
      for (const QString& w : words) show = show && text.contains(w);
    }
    list_->setRowHidden(row, !show);
  }
}

void TTheHelpForm::showFirstMatch() {
  for (int row = 0; row < list_->count(); ++row) {
    if (list_->isRowHidden(row)) continue;
    list_->setCurrentRow(row);
    list_->setFocus();
    return;
  }
}

bool TTheHelpForm::eventFilter(QObject* watched, QEvent* e) {
  // Down in the search field moves to the first line found.
  if (watched == search_ && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Down) {
    showFirstMatch();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}

void TTheHelpForm::printTopic(QPrinter* printer) { text_->document()->print(printer); }

void TTheHelpForm::printClicked() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) printTopic(&printer);
}

// ---- Opening ---------------------------------------------------------------------------

TTheHelpForm* showHelpTopic(QWidget* owner, const QString& topic) {
  if (gCurrent) {
    gCurrent->close();
    QCoreApplication::processEvents();
    delete gCurrent.data();
  }
  auto* form = new TTheHelpForm(owner);
  gCurrent = form;
  form->selectTopic(topic);
  // Above a modal dialog that asked for help, so that the dialog does not block it.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->windowHandle()) {
    form->winId();
    if (form->windowHandle()) form->windowHandle()->setTransientParent(modal->windowHandle());
  }
  form->show();
  if (QListWidgetItem* line = form->contentsList()->currentItem()) form->contentsList()->scrollToItem(line);
  form->raise();
  form->activateWindow();
  return form;
}

namespace {

class HelpKeyFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    QWidget* window = w->window();
    if (qobject_cast<TTheHelpForm*>(window)) return false;
    const auto buttons = window->findChildren<QPushButton*>();
    for (QPushButton* b : buttons) {
      if (QString(b->text()).remove('&') == QLatin1String(texts::kHelp) && b->isVisible() && b->isEnabled() &&
          b->window() == window) {
        b->click();
        return true;
      }
    }
    return false;
  }
};

}  // namespace

void installHelpKey() {
  static HelpKeyFilter* filter = nullptr;
  if (filter || !qApp) return;
  filter = new HelpKeyFilter(qApp);
  qApp->installEventFilter(filter);
}

}  // namespace tessary::app
