#include "app_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "app/mainform.h"
#include "app/texts.h"
#include "store/blog_db.h"
#include "store/entries.h"

namespace tessary::apptest {

namespace {
QString stripAmp(QString s) { return s.remove('&'); }

}  // namespace

bool clickButton(QWidget* in, const QString& caption) {
  for (QAbstractButton* b : in->findChildren<QAbstractButton*>()) {
    if (stripAmp(b->text()) == caption && b->isVisible() && b->isEnabled()) {
      b->click();
      return true;
    }
  }
  return false;
}

ModalAnswerer::ModalAnswerer() {
  connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::poll);
  timer_.start(15);
}

ModalAnswerer::~ModalAnswerer() { timer_.stop(); }

ModalAnswerer& ModalAnswerer::press(const QString& caption) {
  answers_.push_back([this, caption](QWidget* w) {
    if (!clickButton(w, caption)) {
      ++unexpected;
      if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    }
  });
  return *this;
}

ModalAnswerer& ModalAnswerer::chooseFile(const QString& path, std::function<void(QFileDialog*)> look) {
  answers_.push_back([this, path, look](QWidget* w) {
    auto* d = qobject_cast<QFileDialog*>(w);
    if (!d) {
      ++unexpected;
      if (auto* dd = qobject_cast<QDialog*>(w)) dd->reject();
      return;
    }
    if (look) look(d);
    // As a person does: type the full name into the file name box and accept.
    auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
    if (edit) edit->setText(path);
    else d->selectFile(path);
    QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
  });
  return *this;
}

ModalAnswerer& ModalAnswerer::cancelFile() {
  answers_.push_back([](QWidget* w) {
    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
  });
  return *this;
}

ModalAnswerer& ModalAnswerer::act(std::function<void(QWidget*)> action) {
  answers_.push_back(std::move(action));
  return *this;
}

void ModalAnswerer::poll() {
  QWidget* w = QApplication::activeModalWidget();
  if (!w || !w->isVisible() || w->property("answeredByTest").toBool()) return;
  w->setProperty("answeredByTest", true);
  w->installEventFilter(this);
  titles << w->windowTitle();
  if (auto* box = qobject_cast<QMessageBox*>(w)) texts << box->text();
  if (answers_.empty()) {
    ++unexpected;
    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
    return;
  }
  auto answer = std::move(answers_.front());
  answers_.pop_front();
  // Run after the window's own show handling has finished.
  QTimer::singleShot(0, w, [answer, w] { answer(w); });
}

bool ModalAnswerer::eventFilter(QObject* o, QEvent* e) {
  // A window shown again (the same dialog run twice) is answered again.
  if (e->type() == QEvent::Hide) o->setProperty("answeredByTest", false);
  return false;
}

void createSampleBlog(const QString& programFolder, const QString& file) {
  QuietUi ui;
  store::BlogDb blog(programFolder.toStdString(), ui);
  blog.CreateBlog(file.toStdString());
  blog.CloseBlog();
}

OpenBlog::OpenBlog() {
  createSampleBlog(pf.path(), file);
  w = std::make_unique<app::TtheMainForm>(pf.path());
  w->show();
  w->openBlogFile(file);
}

OpenBlog::~OpenBlog() = default;

namespace {
// Closes the window's blog and opens the file on its own.
template <class F>
void readClosedBlog(OpenBlog& b, F read) {
  b.w->runCommand(app::texts::kCloseBlog, [&b] { b.w->blog().CloseBlog(); });
  QuietUi ui;
  store::BlogDb again(b.pf.path().toStdString(), ui);
  again.OpenBlog(b.file.toStdString());
  read(again);
}
}  // namespace

std::map<int32_t, store::BlogRec> OpenBlog::storedEntries() {
  std::map<int32_t, store::BlogRec> out;
  readClosedBlog(*this, [&out](store::BlogDb& blog) {
    store::Table& tb = blog.tblBlog();
    for (tb.first(); !tb.eof(); tb.next()) {
      const store::BlogRec r = store::readBlogRec(tb);
      out[r.BlogKey] = r;
    }
  });
  return out;
}

std::vector<std::vector<std::string>> OpenBlog::storedCategories() {
  std::vector<std::vector<std::string>> out;
  readClosedBlog(*this, [&out](store::BlogDb& blog) {
    store::Table& t = blog.tblCategory();
    for (t.first(); !t.eof(); t.next())
      out.push_back({t.asString("CategoryKey"), t.asString("CategoryTitle"), t.asString("CategoryName")});
  });
  return out;
}

}  // namespace tessary::apptest
