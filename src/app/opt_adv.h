// Advanced Options: formatting, page names and extension, the names, captions
// and titles of the home, recent, archive, article and category pages, list
// styles, navigation bar switches and the parent site (options 201 to 299).
#pragma once

#include "app/opt_common.h"

namespace tessary::app {

class TOptAdvForm : public BlogOptionsDialog {
  Q_OBJECT
 public:
  explicit TOptAdvForm(QWidget* owner);
};

}  // namespace tessary::app
