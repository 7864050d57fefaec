// Basic Options: the blog's title, address, home page length, archive and
// category pages, date format and the "About my Blog" text (options 101 to 114).
#pragma once

#include "app/opt_common.h"

namespace tessary::app {

class TOptBasicForm : public BlogOptionsDialog {
  Q_OBJECT
 public:
  explicit TOptBasicForm(QWidget* owner);
};

}  // namespace tessary::app
