// Not a test: draws the windows of the desktop program into PNG files, so a
// person can look at them (app_screenshots OUTDIR [WIDTHxHEIGHT]). The demo
// blog is made in a temporary program folder and generated first.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>

#include "app/app_paths.h"
#include "app/exportdb2_form.h"
#include "app/mainform.h"
#include "app/opt_extra.h"
#include "app/pop_status.h"
#include "app/texts.h"
#include "app_test_support.h"

using namespace tessary::app;

namespace {
void save(QWidget* w, const QString& file) {
  QApplication::processEvents();
  w->repaint();
  QApplication::processEvents();
  if (!w->grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  else std::printf("%s\n", qPrintable(file));
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: app_screenshots OUTDIR [WIDTHxHEIGHT]\n");
    return 2;
  }
  const QString out = QDir(argv[1]).absolutePath();
  QDir().mkpath(out);
  QSize size(1366, 768);
  if (argc > 2) {
    const QStringList p = QString(argv[2]).split('x');
    if (p.size() == 2) size = QSize(p[0].toInt(), p[1].toInt());
  }
  tessary::apptest::ProgramFolder pf;
  ensureDefaultTemplate(pf.path());
  // A blog of one's own may be named third (it is copied, never changed).
  const QString blog = pf.file("demo.zdb");
  if (argc > 3) QFile::copy(argv[3], blog);
  else tessary::apptest::createSampleBlog(pf.path(), blog);

  TtheMainForm w(pf.path());
  w.loadSessionSettings();
  w.resize(size);
  w.show();
  save(&w, out + "/page0-noblog.png");
  w.openBlogFile(blog);
  w.showPage(5);
  w.button(texts::kGeneratePages, 5)->click();
  const char* names[] = {"blogs", "entries", "pictures", "files", "options", "publish"};
  for (int i = 0; i < 6; ++i) {
    w.showPage(i);
    save(&w, QStringLiteral("%1/page%2-%3.png").arg(out).arg(i).arg(names[i]));
  }
  TStatusForm::showStatus(&w, "Compacting Blog File 42%");
  save(TStatusForm::current(), out + "/status.png");
  TStatusForm::closeStatus();

  TProgramOptionsForm opts(&w, w.initialFontString());
  opts.setOptionsBack(0);
  opts.setOptionsFontForm(",,,,");
  opts.setOptionsFontLists(",,,,");
  opts.setOptionFontEntryText(",,,,");
  opts.show();
  save(&opts, out + "/program-options.png");
  opts.close();

  w.runCommand(texts::kCloseBlog, [&] { w.blog().CloseBlog(); });
  TExportBlogForm1 exp(&w, w.blog(), w.ui(), blog, pf.path());
  exp.show();
  save(&exp, out + "/export.png");
  exp.close();
  w.setBackground(1);
  w.openBlogFile(blog);
  save(&w, out + "/green-entries.png");
  w.setBackground(2);
  save(&w, out + "/brown-entries.png");
  return 0;
}
