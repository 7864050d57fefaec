// The system's file dialogs as the windows use them: a caption, a filter, the
// folder to start in; an empty path after Cancel.
#pragma once

#include <QString>

class QWidget;

namespace tessary::app {

// Asks for an existing file to open or add, starting in `folder`. `suffix` (no
// dot) is the default extension, when there is one.
QString askFileToOpen(QWidget* owner, const QString& caption, const QString& filter, const QString& folder,
                      const QString& suffix = {});

// Asks for a file to write, starting at `start` (a folder, or a path that
// names the file offered). The dialog does not ask about an existing file: the
// caller says what it does with one.
QString askFileToSave(QWidget* owner, const QString& caption, const QString& filter, const QString& start,
                      const QString& suffix = {});

}  // namespace tessary::app
