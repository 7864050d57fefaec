// Font strings: a display font written as five comma-separated fields (face
// name, character set, colour, size in points, style bits 1 bold, 2 italic,
// 4 underline, 8 strike-out), as the session settings and the program options
// keep them. Qt fonts have no character set and no colour, so a DisplayFont
// carries both beside the QFont; the colour is a signed 32-bit value whose
// negative numbers mean "the system's text colour".
#pragma once

#include <QFont>
#include <QString>

class QWidget;

namespace tessary::app {

inline constexpr qint32 kSystemTextColour = -2147483640;  // the system's window text colour
inline constexpr int kDefaultCharset = 1;

struct DisplayFont {
  QFont font;
  int charset = kDefaultCharset;
  qint32 colour = kSystemTextColour;
};

// The five fields of the font, in order.
QString fontString(const DisplayFont& f);
// Applies the fields of the string from the left: face, character set, colour
// and size count only when the comma after them is there; the style is what
// follows the fourth comma. An empty field, or a number field that is not a
// decimal number, leaves that property unchanged; so ",,,," and a string
// without a comma change nothing.
void applyFontString(DisplayFont& f, const QString& text);
// The font and, for a colour of its own, the text colour of the widget.
void applyDisplayFont(QWidget* w, const DisplayFont& f);
// Font strings are compared without regard to letter case.
bool sameFontString(const QString& a, const QString& b);

}  // namespace tessary::app
