// Not a test: draws the windows of the desktop program into PNG files, so a
// person can look at them (app_screenshots OUTDIR [WIDTHxHEIGHT]). The demo
// blog is made in a temporary program folder and generated first.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <cstring>

#include <QImage>

#include "app/app_paths.h"
#include "app/cat_list.h"
#include "app/ed_template.h"
#include "app/exportdb2_form.h"
#include "app/get_back.h"
#include "app/get_cat.h"
#include "app/get_file.h"
#include "app/get_pict.h"
#include "app/helpform.h"
#include "app/mainform.h"
#include "app/opt_adv.h"
#include "app/opt_basic.h"
#include "app/opt_extra.h"
#include "app/opt_ftp.h"
#include "app/opt_rss.h"
#include "app/opt_template.h"
#include "app/opt_var.h"
#include "app/pop_status.h"
#include "app/texts.h"
#include "app_test_support.h"
#include "store/blog_db.h"
#include "store/media.h"

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

  // The category list, the pickers and the backup dialog, over a few rows each.
  tessary::store::Table& cats = w.blog().tblCategory();
  const char* titles[][2] = {{"Travel", "travel"}, {"Kitchen", "kitchen"}, {"Garden and Balcony", "garden"}};
  for (const auto& t : titles) {
    cats.insert();
    cats.setString("CategoryTitle", t[0]);
    cats.setString("CategoryName", t[1]);
    cats.post();
  }
  for (int i = 0; i < 4; ++i) {
    QImage img(320 + 40 * i, 200 + 30 * i, QImage::Format_RGB32);
    img.fill(QColor(40 * i, 120, 160));
    const QString f = pf.file(QStringLiteral("holiday-%1.png").arg(i + 1));
    img.save(f, "PNG");
    tessary::store::AddBlogPicture(w.blog(), f.toStdString());
  }
  for (const char* name : {"recipes.pdf", "garden-plan.zip"}) {
    QFile f(pf.file(name));
    if (f.open(QIODevice::WriteOnly)) f.write(QByteArray(1234 * (1 + int(std::strlen(name) % 3)), 'x'));
    f.close();
    tessary::store::AddBlogFile(w.blog(), f.fileName().toStdString());
  }
  {
    TCategoryListForm list(&w, w.blog());
    list.applyFonts(w.formFont(), w.listsFont());
    list.show();
    list.refresh();
    save(&list, out + "/category-list.png");
  }
  {
    TGetCategoryForm picker(&w, w.blog());
    picker.show();
    picker.refresh();
    save(&picker, out + "/select-category.png");
  }
  {
    TGetPictureForm picker(&w, w.blog());
    picker.show();
    picker.refresh();
    picker.altTextEdit()->setText("Our tent by the lake");
    save(&picker, out + "/insert-picture.png");
  }
  {
    TGetFileForm picker(&w, w.blog());
    picker.show();
    picker.refresh();
    save(&picker, out + "/insert-file.png");
  }
  {
    TGetBackupForm backup(&w, pf.path());
    backup.setSettings({pf.file("backups").toStdString(), 5});
    backup.show();
    save(&backup, out + "/backup.png");
  }

  // The blog option dialogs and the template chooser, filled from the demo
  // blog, at their opening and their smallest sizes.
  auto shoot = [&](OptionDialogFrame& d, const QString& name) {
    d.show();
    save(&d, QStringLiteral("%1/%2.png").arg(out, name));
    if (!d.minimumSize().isEmpty()) {
      d.resize(d.minimumSize());
      save(&d, QStringLiteral("%1/%2-smallest.png").arg(out, name));
    }
    d.close();
  };
  {
    tessary::store::BlogOptionsRec rec = w.blog().options();
    rec.FTPSite = "ftp.example.org";
    rec.FTPUserid = "blogger";
    rec.FTPPassword = "secret";
    rec.FileCopyDestination = (pf.path() + "/www").toStdString();
    TOptBasicForm basic(&w);
    basic.setOptionsRec(rec);
    shoot(basic, "opt-basic");
    TOptAdvForm adv(&w);
    adv.setOptionsRec(rec);
    shoot(adv, "opt-advanced");
    TOptRssForm rss(&w);
    rss.setOptionsRec(rec);
    shoot(rss, "opt-rss");
    TOptFtpForm ftp(&w, pf.path());
    ftp.setOptionsRec(rec);
    shoot(ftp, "opt-ftp");
    TOptVarForm var(&w);
    var.setOptionsRec(rec);
    var.show();
    var.resize(600, 406);
    shoot(var, "opt-variables");
    var.show();
    var.resize(420, 300);
    save(&var, out + "/opt-variables-small.png");
    var.close();
    TOptTemplateForm chooser(&w, pf.path(), &w.ui());
    chooser.setOptionsRec(rec);
    shoot(chooser, "opt-template");
  }

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
  w.setBackground(0);
  for (const char* topic : {"WelcomeFull", "OptionsFTP", "PackageFunctionsSlice", "EntriesHTMLBar"}) {
    TTheHelpForm* help = showHelpTopic(&w, topic);
    save(help, QStringLiteral("%1/help-%2.png").arg(out, topic));
  }
  TTheHelpForm* help = showHelpTopic(&w, "WelcomeFull");
  help->searchField()->setText("passive");
  save(help, out + "/help-search.png");
  help->close();
  {
    // The template package editor with the built-in package: slices, description, files.
    TTemplatePackagerForm packager(&w, pf.path());
    packager.applyPlace(WindowPlace{20, 20, 560, 900, false}, size);
    packager.show();
    packager.openPackage(QDir(pf.path()).filePath("@default.tem"));
    packager.sliceTabs()->setCurrentIndex(0);
    save(&packager, out + "/packager-slices.png");
    packager.sliceTabs()->setCurrentIndex(3);
    save(&packager, out + "/packager-each-entry.png");
    QTest::mouseClick(packager.descriptionButton(), Qt::LeftButton);
    save(&packager, out + "/packager-description.png");
    QTest::mouseClick(packager.filesButton(), Qt::LeftButton);
    packager.fileList()->setCurrentRow(0);
    save(&packager, out + "/packager-files.png");
    packager.resize(packager.minimumSize());
    QTest::mouseClick(packager.templateButton(1), Qt::LeftButton);
    save(&packager, out + "/packager-smallest.png");
  }
  return 0;
}
