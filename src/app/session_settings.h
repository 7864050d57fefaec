// The program's own settings (window places, background, fonts), kept in an
// INI file in the program folder: read once at start, written once at exit.
// Missing keys give the defaults; the window rules (what is applied, what is
// written when maximised) live with the windows that use them.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

namespace tessary::app {

struct WindowPlace {
  int top = 20;
  int left = 20;
  int height = 440;
  int width = 600;
  bool initMax = false;
};

struct SessionSettings {
  WindowPlace form;                                   // [Form]
  int back = 0;                                       // [Options] Back: 0 grey, 1 green, 2 brown, kept as given
  QString fontForm = QStringLiteral(",,,,");          // [Options] optionFontForm
  QString fontLists = QStringLiteral(",,,,");         // [Options] optionFontLists
  QString fontEntryText = QStringLiteral(",,,,");     // [Options] optionFontEntryText
  WindowPlace entry{20, 20, 20, 20, false};           // [Entry], for the entry editor
};

// The INI file of the program folder.
QString settingsFilePath(const QString& programFolder);

SessionSettings readSessionSettings(const QString& path);
// Writes every key; the window's four place keys only when `formPlaceValid`
// (the window was not maximised at exit), so the file keeps the earlier place.
// Returns false when the file could not be written.
bool writeSessionSettings(const QString& path, const SessionSettings& s, bool formPlaceValid);

// The window's geometry after the start-up rules: "Top" and "Height" count only
// when 0 or more and below the desktop's height, "Left" and "Width" only when 0
// or more and below its width; a value that does not count keeps `designed`'s.
QRect placeWindow(const WindowPlace& place, const QRect& designed, const QSize& desktop);

// Places a window like the entry editor: the size at least `minimum`, each of
// height and width only when it fits the desktop; top and left only when inside
// it. Returns whether the window should start maximised.
bool placeLikeEntryEditor(QWidget* w, const WindowPlace& place, const QSize& desktop, const QSize& minimum);

}  // namespace tessary::app
