#include "app/gui_ui.h"

#include <QMessageBox>

#include "app/pop_status.h"
#include "app/texts.h"

namespace tessary::app {

using store::Answer;
using store::Buttons;

void GuiUserInterface::showMessage(const std::string& text) {
  QMessageBox box(QMessageBox::Information, texts::kAppTitle, QString::fromStdString(text), QMessageBox::Ok, owner_);
  box.exec();
}

void GuiUserInterface::showError(const std::string& text) { showErrorBox(owner_, QString::fromStdString(text)); }

void showErrorBox(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::Critical, texts::kError, text, QMessageBox::Ok, owner);
  box.exec();
}

Answer GuiUserInterface::confirm(const std::string& text, Buttons buttons) { return ask(text, buttons, false); }
Answer GuiUserInterface::warn(const std::string& text, Buttons buttons) { return ask(text, buttons, true); }

Answer GuiUserInterface::ask(const std::string& text, Buttons buttons, bool warning) {
  QMessageBox::StandardButtons set;
  QMessageBox::StandardButton def = QMessageBox::Ok;
  switch (buttons) {
    case Buttons::Ok: set = QMessageBox::Ok; def = QMessageBox::Ok; break;
    case Buttons::YesNo: set = QMessageBox::Yes | QMessageBox::No; def = QMessageBox::Yes; break;
    case Buttons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; def = QMessageBox::Ok; break;
    case Buttons::YesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      def = QMessageBox::Yes;
      break;
  }
  QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Question, warning ? "Warning" : "Confirm",
                  QString::fromStdString(text), set, owner_);
  box.setDefaultButton(def);
  if (set & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
  else if (set & QMessageBox::No) box.setEscapeButton(QMessageBox::No);
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
  }
}

void GuiUserInterface::statusShow(const std::string& text) { TStatusForm::showStatus(owner_, QString::fromStdString(text)); }
void GuiUserInterface::statusSetMessage(const std::string& text) { TStatusForm::setMessage(QString::fromStdString(text)); }
void GuiUserInterface::statusClose() { TStatusForm::closeStatus(); }
void GuiUserInterface::statusSetCaption(const std::string& caption) {
  TStatusForm::setCaption(QString::fromStdString(caption));
}

}  // namespace tessary::app
