// The background pictures (grey, green, brown) tiled over the top panel of the
// main window and the top bands of the dialogs, and the band widget that shows
// them. The tiles are drawn here, so no picture file ships with the program.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace tessary::app {

// 1 green, 2 brown, any other value grey.
QPixmap backgroundTile(int scheme);
// The colour a band's title text is drawn in on the scheme's tile.
QColor bandTextColour(int scheme);

// A top band: the tiled background with an optional title in large type at its
// left. The background follows the scheme the program shows now.
class BandWidget : public QWidget {
  Q_OBJECT
 public:
  explicit BandWidget(QWidget* parent = nullptr);
  void setTitle(const QString& title);
  QString title() const { return title_; }
  void setScheme(int scheme);
  int scheme() const { return scheme_; }

  // The scheme every band created from now on starts with (the main window's).
  static void setCurrentScheme(int scheme);
  static int currentScheme();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString title_;
  int scheme_;
};

}  // namespace tessary::app
