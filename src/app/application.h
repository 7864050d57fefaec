// The program's QApplication: no exception that escapes an event handler ends
// the program; it is shown in the general error display and the program goes on.
#pragma once

#include <QApplication>

namespace tessary::app {

class TessaryApplication : public QApplication {
  Q_OBJECT
 public:
  TessaryApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tessary::app
