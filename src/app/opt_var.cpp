#include "app/opt_var.h"

#include "app/opt_texts.h"

namespace tessary::app {

using namespace opttexts;

TOptVarForm::TOptVarForm(QWidget* owner)
    : BlogOptionsDialog(owner, kVariablesTitle, kTopicVariables, QSize(600, 406), QSize()) {
  setWindowTitle(kVariablesWindowTitle);
  // The boxes reach to 24 pixels before the window's right edge.
  grid()->setContentsMargins(16, 12, 24, 16);
  bindText(601, kDefaultKeywords, 250);
  bindText(602, kDefaultDescription, 250);
  for (int n = 1; n <= 5; ++n) bindText(610 + n, QString(kCustomTag).arg(n));
  for (int n = 6; n <= 10; ++n) bindMemo(610 + n, QString(kCustomTag).arg(n))->setFixedHeight(72);
}

}  // namespace tessary::app
