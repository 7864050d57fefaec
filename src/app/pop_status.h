// TStatusForm: the small stay-on-top "Status" window that long store work
// (compaction, repair, marking, exports, scans) shows its progress in. It is
// not modal; setting its message puts the text on screen at once.
#pragma once

#include <QDialog>
#include <QLabel>

namespace tessary::app {

class TStatusForm : public QDialog {
  Q_OBJECT
  Q_PROPERTY(QString statusMessage READ statusMessage WRITE setStatusMessage)
 public:
  // Centred on `owner` when it is shown.
  explicit TStatusForm(QWidget* owner);
  QString statusMessage() const { return label_->text(); }
  void setStatusMessage(const QString& text);

  // The three operations of the popup: show (creating it), set message, close (forgetting it).
  static TStatusForm* showStatus(QWidget* owner, const QString& text);
  static void setMessage(const QString& text);
  static void setCaption(const QString& caption);
  static void closeStatus();
  // The popup now shown, or nullptr.
  static TStatusForm* current();

 private:
  void centreOnOwner();
  QLabel* label_;
  QWidget* owner_;
};

}  // namespace tessary::app
