// Custom Variables: the default keywords and description meta tags and the ten
// custom tags (options 601 to 699).
#pragma once

#include "app/opt_common.h"

namespace tessary::app {

class TOptVarForm : public BlogOptionsDialog {
  Q_OBJECT
 public:
  explicit TOptVarForm(QWidget* owner);
};

}  // namespace tessary::app
