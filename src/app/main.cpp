// tessary [BLOG.zdb]: the desktop application. A second start hands the blog
// file to the copy already running and ends.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include "app/app_paths.h"
#include "app/application.h"
#include "app/mainform.h"
#include "app/single_instance.h"
#include "app/splash.h"

using namespace tessary::app;

int main(int argc, char** argv) {
  TessaryApplication app(argc, argv);
  QString blogFile;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--version") {
      std::printf("tessary %s\n", TESSARY_VERSION);
      return 0;
    }
    if (args[i] == "--help" || args[i] == "-h") {
      std::printf("usage: tessary [BLOG.zdb]\nStarts the desktop application, opening the blog file when given.\n");
      return 0;
    }
    if (blogFile.isEmpty()) blogFile = QFileInfo(args[i]).absoluteFilePath();
  }

  SingleInstance guard(SingleInstance::defaultName());
  if (!guard.claim(blogFile)) return 0;

  const QString programFolder = chooseProgramFolder(
      QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
  ensureDefaultTemplate(programFolder);
  ensureShippedTemplates(programFolder, shippedTemplateFolder(QCoreApplication::applicationDirPath()));

  TtheMainForm form(programFolder);
  guard.onActivate = [&form](const QString& file) { form.activateFromOtherStart(file); };
  form.loadSessionSettings();
  form.showAsSaved();

  auto* splash = new SplashWindow(&form, false);
  splash->setAttribute(Qt::WA_DeleteOnClose);
  splash->show();
  QTimer::singleShot(1500, splash, &QWidget::close);

  if (!blogFile.isEmpty()) QTimer::singleShot(0, &form, [&form, blogFile] { form.openBlogFile(blogFile); });
  return app.exec();
}
