// The product picture with the label "Tessary 2008 Build 1": shown borderless
// and on top for a moment at start, and modally with a "Close" button from the
// side bar's picture.
#pragma once

#include <QDialog>
#include <QPixmap>

namespace tessary::app {

// The picture, drawn at the given device pixel ratio.
QPixmap productPicture(QSize size, qreal dpr);

class SplashWindow : public QDialog {
  Q_OBJECT
 public:
  // withClose: the program information form, with its "Close" button.
  SplashWindow(QWidget* owner, bool withClose);
  static bool showing();

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
};

}  // namespace tessary::app
