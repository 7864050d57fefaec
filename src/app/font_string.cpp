#include "app/font_string.h"

#include <QPalette>
#include <QWidget>

namespace tessary::app {

QString fontString(const DisplayFont& f) {
  int size = f.font.pointSize();
  if (size <= 0) size = -f.font.pixelSize();
  int style = 0;
  if (f.font.bold()) style |= 1;
  if (f.font.italic()) style |= 2;
  if (f.font.underline()) style |= 4;
  if (f.font.strikeOut()) style |= 8;
  return QStringLiteral("%1,%2,%3,%4,%5").arg(f.font.family()).arg(f.charset).arg(f.colour).arg(size).arg(style);
}

namespace {

// Blanks only, as the string fields are trimmed of blanks.
QString trimBlanks(const QString& s) {
  qsizetype b = 0, e = s.size();
  while (b < e && s[b] == QLatin1Char(' ')) ++b;
  while (e > b && s[e - 1] == QLatin1Char(' ')) --e;
  return s.mid(b, e - b);
}

bool decimal(const QString& s, qint64& out) {
  bool ok = false;
  out = s.toLongLong(&ok, 10);
  return ok;
}

}  // namespace

void applyFontString(DisplayFont& f, const QString& text) {
  QString rest = text;
  QString fields[4];
  int complete = 0;
  for (; complete < 4; ++complete) {
    const qsizetype comma = rest.indexOf(QLatin1Char(','));
    if (comma < 0) break;
    fields[complete] = rest.left(comma);
    rest = rest.mid(comma + 1);
  }
  qint64 n = 0;
  if (complete >= 1) {
    const QString face = trimBlanks(fields[0]);
    if (!face.isEmpty()) f.font.setFamily(face);
  }
  if (complete >= 2) {
    const QString v = trimBlanks(fields[1]);
    if (!v.isEmpty() && decimal(v, n)) f.charset = static_cast<int>(n);
  }
  if (complete >= 3) {
    const QString v = trimBlanks(fields[2]);
    if (!v.isEmpty() && decimal(v, n) && n >= INT32_MIN && n <= UINT32_MAX) f.colour = static_cast<qint32>(n);
  }
  if (complete >= 4) {
    const QString v = trimBlanks(fields[3]);
    if (!v.isEmpty() && decimal(v, n)) {
      if (n > 0 && n <= 400) f.font.setPointSize(static_cast<int>(n));
      else if (n < 0 && n >= -400) f.font.setPixelSize(static_cast<int>(-n));
    }
    const QString s = trimBlanks(rest);
    if (!s.isEmpty() && decimal(s, n)) {
      f.font.setBold(n & 1);
      f.font.setItalic(n & 2);
      f.font.setUnderline(n & 4);
      f.font.setStrikeOut(n & 8);
    }
  }
}

void applyDisplayFont(QWidget* w, const DisplayFont& f) {
  if (!w) return;
  w->setFont(f.font);
  QPalette p = w->palette();
  const QPalette base = QPalette();
  QColor c;
  if (f.colour >= 0) {
    const quint32 v = static_cast<quint32>(f.colour);
    c = QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
  }
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(role, c.isValid() ? c : base.color(role));
  }
  w->setPalette(p);
}

bool sameFontString(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace tessary::app
