// The progress log of the main window: a read-only text view of plain and
// coloured lines. Lines are buffered and put on screen in batches at each
// round of the event pump (and whenever the run ends), so a long run shows
// its log as it goes without paying a screen update per line. The text is
// always complete and in order once flush() has run.
#pragma once

#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <vector>

#include "util/progress_log.h"

namespace tessary::app {

class LogView : public QPlainTextEdit, public ProgressLog {
  Q_OBJECT
 public:
  explicit LogView(QWidget* parent = nullptr);

  void ClearLog() override;
  void AppendLine(const std::string& text) override;
  void AppendColouredLine(Colour colour, const std::string& text) override;

  // Puts the buffered lines into the view.
  void flush();
  // The lines as shown (after flush), for tests and the screen reader.
  QStringList lines() const;
  // The colour of line i (default text colour: invalid).
  QColor lineColour(int i) const;

 private:
  struct Pending {
    bool coloured = false;
    Colour colour;
    QString text;
  };
  void add(Pending p);
  std::vector<Pending> pending_;
  bool empty_ = true;
};

}  // namespace tessary::app
