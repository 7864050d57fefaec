// The status popup: shown on top and centred on its owner, its message on
// screen at once, closed and forgotten.
#include <QtTest>

#include "app/gui_ui.h"
#include "app/pop_status.h"

using namespace tessary::app;

class tst_pop_status : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void showSetMessageClose();
};

void tst_pop_status::showSetMessageClose() {
  QWidget owner;
  owner.setGeometry(100, 100, 900, 600);
  owner.show();
  GuiUserInterface ui;
  ui.setOwner(&owner);
  ui.statusShow("Compacting Blog File ");
  TStatusForm* s = TStatusForm::current();
  QVERIFY(s);
  QVERIFY(s->isVisible());
  QVERIFY(!s->isModal());
  QCOMPARE(s->windowTitle(), QString("Status"));
  QVERIFY(s->windowFlags() & Qt::WindowStaysOnTopHint);
  QVERIFY(s->width() >= 414 && s->height() >= 67);
  QVERIFY((s->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <= 4);
  ui.statusSetMessage("Compacting Blog File 42%");
  QCOMPARE(s->statusMessage(), QString("Compacting Blog File 42%"));
  QCOMPARE(s->property("statusMessage").toString(), QString("Compacting Blog File 42%"));
  ui.statusSetCaption("Exporting Blog as XML");
  QCOMPARE(s->windowTitle(), QString("Exporting Blog as XML"));
  QPointer<TStatusForm> gone = s;
  ui.statusClose();
  QVERIFY(TStatusForm::current() == nullptr);
  QTRY_VERIFY(gone.isNull());
  // Messages after the close go nowhere and do no harm.
  ui.statusSetMessage("late");
  ui.statusClose();
}

QTEST_MAIN(tst_pop_status)
#include "tst_pop_status.moc"
