#include "app/session_settings.h"

#include <algorithm>

#include <QDir>
#include <QSettings>

namespace tessary::app {

QString settingsFilePath(const QString& programFolder) { return QDir(programFolder).filePath("tessary.ini"); }

namespace {

int readInt(QSettings& s, const char* key, int def) {
  bool ok = false;
  const int v = s.value(key, def).toInt(&ok);
  return ok ? v : def;
}

bool readBool(QSettings& s, const char* key, bool def) {
  const QVariant v = s.value(key);
  if (!v.isValid()) return def;
  const QString t = v.toString().trimmed();
  if (t.compare("true", Qt::CaseInsensitive) == 0 || t == "1") return true;
  if (t.compare("false", Qt::CaseInsensitive) == 0 || t == "0") return false;
  return def;
}

QString readString(QSettings& s, const char* key, const QString& def) {
  const QVariant v = s.value(key);
  if (!v.isValid()) return def;
  // A font string holds commas, which the INI reader otherwise splits into a list.
  if (v.userType() == QMetaType::QStringList) return v.toStringList().join(',');
  return v.toString();
}

void readPlace(QSettings& s, const char* group, WindowPlace& p) {
  s.beginGroup(group);
  p.top = readInt(s, "Top", p.top);
  p.left = readInt(s, "Left", p.left);
  p.height = readInt(s, "Height", p.height);
  p.width = readInt(s, "Width", p.width);
  p.initMax = readBool(s, "InitMax", p.initMax);
  s.endGroup();
}

}  // namespace

SessionSettings readSessionSettings(const QString& path) {
  SessionSettings out;
  QSettings s(path, QSettings::IniFormat);
  readPlace(s, "Form", out.form);
  s.beginGroup("Options");
  out.back = readInt(s, "Back", out.back);
  out.fontForm = readString(s, "optionFontForm", out.fontForm);
  out.fontLists = readString(s, "optionFontLists", out.fontLists);
  out.fontEntryText = readString(s, "optionFontEntryText", out.fontEntryText);
  s.endGroup();
  readPlace(s, "Entry", out.entry);
  return out;
}

bool writeSessionSettings(const QString& path, const SessionSettings& v, bool formPlaceValid) {
  QSettings s(path, QSettings::IniFormat);
  s.beginGroup("Form");
  if (formPlaceValid) {
    s.setValue("Top", v.form.top);
    s.setValue("Left", v.form.left);
    s.setValue("Height", v.form.height);
    s.setValue("Width", v.form.width);
  }
  s.setValue("InitMax", v.form.initMax);
  s.endGroup();
  s.beginGroup("Options");
  s.setValue("Back", v.back);
  s.setValue("optionFontForm", v.fontForm);
  s.setValue("optionFontLists", v.fontLists);
  s.setValue("optionFontEntryText", v.fontEntryText);
  s.endGroup();
  s.beginGroup("Entry");
  s.setValue("Top", v.entry.top);
  s.setValue("Left", v.entry.left);
  s.setValue("Height", v.entry.height);
  s.setValue("Width", v.entry.width);
  s.setValue("InitMax", v.entry.initMax);
  s.endGroup();
  s.sync();
  return s.status() == QSettings::NoError;
}

QRect placeWindow(const WindowPlace& place, const QRect& designed, const QSize& desktop) {
  QRect r = designed;
  if (place.top >= 0 && place.top < desktop.height()) r.moveTop(place.top);
  if (place.left >= 0 && place.left < desktop.width()) r.moveLeft(place.left);
  if (place.height >= 0 && place.height < desktop.height()) r.setHeight(place.height);
  if (place.width >= 0 && place.width < desktop.width()) r.setWidth(place.width);
  return r;
}

bool placeLikeEntryEditor(QWidget* w, const WindowPlace& place, const QSize& desktop, const QSize& minimum) {
  const int height = std::max(place.height, minimum.height());
  const int width = std::max(place.width, minimum.width());
  QSize size = w->size();
  if (height < desktop.height()) size.setHeight(height);
  if (width < desktop.width()) size.setWidth(width);
  w->resize(size);
  QPoint at = w->pos();
  if (place.top >= 0 && place.top < desktop.height()) at.setY(place.top);
  if (place.left >= 0 && place.left < desktop.width()) at.setX(place.left);
  w->move(at);
  return place.initMax;
}

}  // namespace tessary::app
