// Entry editor and picker benchmark, headless: a blog with 500 categories and
// 1,000 pictures, and an entry of 1 MB of text. Times
//   1. opening the editor on the 1 MB entry until it has painted (median of 5),
//   2. typing 200 characters at the end of that text, each key repainted at
//      once (mean and worst key),
//   3. opening the category picker on 500 categories and the picture picker
//      on 1,000 pictures until each has painted (median of 5),
// and prints them against their goals.
//
// Usage: bench_editor [--dir FOLDER]  (default: the system's temporary folder)
// Runs under QT_QPA_PLATFORM=offscreen unless another platform is set.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/entry_form.h"
#include "app/get_cat.h"
#include "app/get_pict.h"
#include "bench_blog.h"
#include "store/blog_db.h"
#include "store/entries.h"
#include "store/media.h"

using namespace tessary;

namespace {

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Shows a window and waits until it has painted once.
double timeToPaint(QWidget& w, Clock::time_point t0) {
  w.show();
  w.repaint();
  settle();
  return seconds(t0);
}

int row(bool ok, const char* what, double value, double goal, const char* unit) {
  std::printf("  %-44s %9.3f %s   goal <= %.3f %s   %s\n", what, value, unit, goal, unit, ok ? "met" : "MISSED");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QString base = QDir::tempPath();
  for (int i = 1; i + 1 < argc; ++i)
    if (QString(argv[i]) == "--dir") base = argv[i + 1];
  QTemporaryDir dir(base + "/bench_editor-XXXXXX");
  if (!dir.isValid()) {
    std::fprintf(stderr, "cannot make a working folder in %s\n", qPrintable(base));
    return 2;
  }
  bench::QuietUI ui;
  store::BlogDb blog(dir.path().toStdString(), ui);
  const auto t0 = Clock::now();
  blog.CreateBlog(dir.filePath("bench.zdb").toStdString());
  {
    store::Transaction tx(blog.database());
    store::Table& cats = blog.tblCategory();
    for (int i = 0; i < 500; ++i) {
      cats.insert();
      cats.setString("CategoryTitle", "Category number " + std::to_string(i + 1));
      cats.setString("CategoryName", "category" + std::to_string(i + 1));
      cats.post();
    }
    tx.commit();
  }
  QImage img(64, 48, QImage::Format_RGB32);
  img.fill(Qt::darkCyan);
  const QString picture = dir.filePath("picture.png");
  img.save(picture, "PNG");
  for (int i = 0; i < 1000; ++i) {
    const QString name = dir.filePath(QStringLiteral("picture-%1.png").arg(i + 1, 4, 10, QChar('0')));
    QFile::copy(picture, name);
    store::AddBlogPicture(blog, name.toStdString());
    QFile::remove(name);
  }
  std::mt19937 rng(7);
  store::BlogRec rec = store::newBlogRec();
  rec.BlogTitle = "A long entry";
  std::string text;
  while (text.size() < (1u << 20)) text += bench::prose(rng, 1500) + "\r\n";
  rec.BlogText = text;
  std::printf("blog with %d categories and %d pictures, entry of %.2f MB, built in %.2f s\n",
              blog.tblCategory().recordCount(), blog.tblPictures().recordCount(), text.size() / 1048576.0,
              seconds(t0));

  std::vector<double> opens;
  for (int i = 0; i < 5; ++i) {
    const auto t = Clock::now();
    app::TBlogEntryForm form(nullptr);
    form.resize(1000, 700);
    form.setMyBlogFunction(app::TBlogEntryForm::kEntryMode);
    form.setMyBlogRec(rec);
    opens.push_back(timeToPaint(form, t));
  }

  // Typing at the end of the text, every key painted.
  double worst = 0, total = 0;
  const int keys = 200;
  {
    app::TBlogEntryForm form(nullptr);
    form.resize(1000, 700);
    form.setMyBlogFunction(app::TBlogEntryForm::kEntryMode);
    form.setMyBlogRec(rec);
    timeToPaint(form, Clock::now());
    QPlainTextEdit* edit = form.textEdit();
    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    settle();
    for (int k = 0; k < keys; ++k) {
      const auto tk = Clock::now();
      const QString ch(QChar('a' + k % 26));
      QKeyEvent press(QEvent::KeyPress, Qt::Key_A + k % 26, Qt::NoModifier, ch);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_A + k % 26, Qt::NoModifier, ch);
      QApplication::sendEvent(edit, &press);
      QApplication::sendEvent(edit, &release);
      edit->viewport()->repaint();
      const double s = seconds(tk);
      worst = std::max(worst, s);
      total += s;
    }
  }

  std::vector<double> cat, pic;
  for (int j = 0; j < 5; ++j) {
    {
      const auto t = Clock::now();
      app::TGetCategoryForm p(nullptr, blog);
      p.refresh();
      cat.push_back(timeToPaint(p, t));
    }
    {
      const auto t = Clock::now();
      app::TGetPictureForm p(nullptr, blog);
      p.refresh();
      pic.push_back(timeToPaint(p, t));
    }
  }
  blog.CloseBlog();

  std::printf("editor open: min %.3f s, median %.3f s; typing %d keys: mean %.2f ms, worst %.2f ms\n",
              *std::min_element(opens.begin(), opens.end()), median(opens), keys, total / keys * 1e3, worst * 1e3);
  std::printf("\nresults\n");
  int missed = 0;
  missed += row(median(opens) <= 0.2, "open the editor on 1 MB of text (median)", median(opens), 0.2, "s");
  missed += row(worst <= 0.05, "typing in it: worst key", worst * 1e3, 50, "ms");
  missed += row(median(cat) <= 0.2, "category picker on 500 categories (median)", median(cat), 0.2, "s");
  missed += row(median(pic) <= 0.2, "picture picker on 1,000 pictures (median)", median(pic), 0.2, "s");
  return missed == 0 ? 0 : 1;
}
