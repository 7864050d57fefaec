#include "app/application.h"

#include <QIcon>

#include "app/gui_ui.h"
#include "app/pop_status.h"
#include "app/texts.h"

// Resources of a static library are registered by name, outside any namespace:
// without it the linker may leave the icons out of the program.
static void registerAppResources() { Q_INIT_RESOURCE(app); }

namespace tessary::app {

TessaryApplication::TessaryApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setOrganizationName(texts::kAppTitle);
  setApplicationName(texts::kAppTitle);
  setApplicationDisplayName(texts::kAppTitle);
  setApplicationVersion(TESSARY_VERSION);
  // The window icon, and the desktop entry the window belongs to.
  registerAppResources();
  QIcon icon;
  icon.addFile(":/icons/tessary-48.png");
  icon.addFile(":/icons/tessary-256.png");
  setWindowIcon(icon);
  setDesktopFileName("tessary");
}

bool TessaryApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    TStatusForm::closeStatus();
    showErrorBox(activeWindow(), QString::fromUtf8(e.what()));
  } catch (...) {
    TStatusForm::closeStatus();
    showErrorBox(activeWindow(), QStringLiteral("An unexpected error occurred."));
  }
  return false;
}

}  // namespace tessary::app
