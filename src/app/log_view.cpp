#include "app/log_view.h"

#include <QScrollBar>
#include <QTextBlock>

#include "app/event_pump.h"

namespace tessary::app {

LogView::LogView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void LogView::ClearLog() {
  pending_.clear();
  clear();
  empty_ = true;
}

void LogView::AppendLine(const std::string& text) { add({false, {}, QString::fromStdString(text)}); }

void LogView::AppendColouredLine(Colour colour, const std::string& text) {
  add({true, colour, QString::fromStdString(text)});
}

void LogView::add(Pending p) {
  pending_.push_back(std::move(p));
  EventPump::instance().pump();
}

void LogView::flush() {
  if (pending_.empty()) return;
  QScrollBar* bar = verticalScrollBar();
  const bool atEnd = bar->value() >= bar->maximum() - 2;
  QTextCursor c(document());
  c.movePosition(QTextCursor::End);
  c.beginEditBlock();
  QTextCharFormat plain;
  for (const Pending& p : pending_) {
    if (!empty_) c.insertBlock();
    empty_ = false;
    if (p.coloured) {
      QTextCharFormat f;
      f.setForeground(QColor(p.colour.r, p.colour.g, p.colour.b));
      c.insertText(p.text, f);
    } else {
      c.insertText(p.text, plain);
    }
  }
  c.endEditBlock();
  pending_.clear();
  if (atEnd) bar->setValue(bar->maximum());
}

QStringList LogView::lines() const {
  QStringList out;
  if (empty_) return out;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) out << b.text();
  return out;
}

QColor LogView::lineColour(int i) const {
  QTextBlock b = document()->findBlockByNumber(i);
  if (!b.isValid()) return {};
  for (auto it = b.begin(); !it.atEnd(); ++it) {
    const QTextCharFormat f = it.fragment().charFormat();
    if (f.hasProperty(QTextFormat::ForegroundBrush)) return f.foreground().color();
    return {};
  }
  return {};
}

}  // namespace tessary::app
