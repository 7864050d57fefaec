// Helpers of the option dialog tests: what a control shows, as one text, and
// an option value set from a text, so that the tests can list stored values,
// what the dialog shows and what it reads back as plain table rows.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "app/opt_common.h"
#include "store/blog_options.h"

namespace tessary::apptest {

// A line box and a multi-line box: the text; a list: the chosen item or
// "<none>"; a check box: "checked" or "unchecked"; a label: its text.
inline QString shownText(QWidget* w) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->toPlainText();
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentIndex() < 0 ? QString("<none>") : c->currentText();
  if (auto* b = qobject_cast<QCheckBox*>(w)) return b->isChecked() ? "checked" : "unchecked";
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  return "<unknown control>";
}

// The option's value as text (an integer option in decimal).
inline QString valueText(const store::BlogOptionsRec& rec, int key) {
  return QString::fromStdString(store::optionText(rec, *store::optionDef(key)));
}

inline void setValue(store::BlogOptionsRec& rec, int key, const QString& value) {
  const store::OptionDef& d = *store::optionDef(key);
  if (d.kind == store::OptionKind::Integer) rec.*d.integer = value.toInt();
  else store::optionTextRef(rec, d) = value.toStdString();
}

// The current options of a new blog.
inline store::BlogOptionsRec defaultOptions() {
  store::BlogOptionsRec rec;
  store::SetDefaultOptions(rec, "/opt/tessary");
  return rec;
}

// Every option set to a value of its own: texts name their key, integers are
// 1000 + key, so that a field taken from the wrong place shows.
inline store::BlogOptionsRec distinctOptions() {
  store::BlogOptionsRec rec;
  for (const store::OptionDef& d : store::optionDefs())
    setValue(rec, d.key, d.kind == store::OptionKind::Integer ? QString::number(1000 + d.key)
                                                              : QString("value of %1").arg(d.key));
  return rec;
}

// The columns of a data-driven test of shown and read-back values.
inline void addValueColumns() {
  QTest::addColumn<int>("key");
  QTest::addColumn<QString>("stored");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<QString>("readBack");
}

// Fills the dialog from defaults with one value changed, checks what its
// control shows and what Save would hand back; every other option passes.
inline void checkShownAndReadBack(app::BlogOptionsDialog& d) {
  QFETCH(int, key);
  QFETCH(QString, stored);
  QFETCH(QString, shown);
  QFETCH(QString, readBack);
  store::BlogOptionsRec in = defaultOptions();
  setValue(in, key, stored);
  d.setOptionsRec(in);
  QWidget* c = d.control(key);
  QVERIFY2(c, qPrintable(QString("option %1 has no control").arg(key)));
  QCOMPARE(shownText(c), shown);
  store::BlogOptionsRec out = d.OptionsRec();
  QCOMPARE(valueText(out, key), readBack);
  setValue(out, key, stored);
  QVERIFY(out == in);
}

// Whatever the controls hold, the options the dialog does not own come back as
// they went in, and a dialog filled and read without a change gives the input.
inline void checkPassThrough(app::BlogOptionsDialog& d) {
  const store::BlogOptionsRec in = distinctOptions();
  d.setOptionsRec(defaultOptions());
  d.setOptionsRec(in);
  store::BlogOptionsRec out = d.OptionsRec();
  // Integers the dialog cannot show (1000 + key) may read back otherwise; only
  // the options it does not own must be equal field for field.
  const std::vector<int> owned = d.ownedKeys();
  for (const store::OptionDef& def : store::optionDefs()) {
    if (std::find(owned.begin(), owned.end(), def.key) != owned.end()) continue;
    QCOMPARE(valueText(out, def.key), valueText(in, def.key));
  }
  const store::BlogOptionsRec defaults = defaultOptions();
  d.setOptionsRec(defaults);
  QVERIFY(d.OptionsRec() == defaults);
}

}  // namespace tessary::apptest
