// Helpers of the window tests: a program folder of their own, and answers for
// the modal windows a command opens (message boxes, file dialogs, the option
// dialogs), given in order and pressed by caption as a person would.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "store/blog_rec.h"
#include "store/user_interface.h"

namespace tessary::app {
class TtheMainForm;
}

namespace tessary::apptest {

// Answers the modal windows that open, one answer per window, in order.
class ModalAnswerer : public QObject {
  Q_OBJECT
 public:
  ModalAnswerer();
  ~ModalAnswerer() override;

  // Presses the button with this caption (ignoring the & of a mnemonic).
  ModalAnswerer& press(const QString& caption);
  // Chooses a file in a file dialog and accepts it; `look` sees the dialog first.
  ModalAnswerer& chooseFile(const QString& path, std::function<void(QFileDialog*)> look = {});
  // Cancels a file dialog.
  ModalAnswerer& cancelFile();
  // Runs an action on the modal window (which it must close, or press a button).
  ModalAnswerer& act(std::function<void(QWidget*)> action);

  // The texts of the message boxes answered so far, and the window titles.
  QStringList texts;
  QStringList titles;
  bool allAnswered() const { return answers_.empty(); }
  // Windows that opened with no answer left (they were rejected).
  int unexpected = 0;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void poll();
  std::deque<std::function<void(QWidget*)>> answers_;
  QTimer timer_;
};

// Clicks the button with this caption in the widget (ignoring &); false when none.
bool clickButton(QWidget* in, const QString& caption);

// A fresh program folder that lives as long as the object.
struct ProgramFolder {
  QTemporaryDir dir;
  QString path() const { return dir.path(); }
  QString file(const QString& name) const { return dir.filePath(name); }
};

// A user interface that says No to every question and cancels every dialog.
class QuietUi : public store::UserInterface {
 public:
  void showMessage(const std::string&) override {}
  void showError(const std::string&) override {}
  store::Answer confirm(const std::string&, store::Buttons) override { return store::Answer::No; }
  void statusShow(const std::string&) override {}
  void statusSetMessage(const std::string&) override {}
  void statusClose() override {}
};

// Creates a blog file with the sample entries (no questions asked).
void createSampleBlog(const QString& programFolder, const QString& file);

// The modal window as the type a test expects; a warning and nullptr when it is another.
template <class T>
T* as(QWidget* w) {
  T* d = qobject_cast<T*>(w);
  if (!d) qWarning("unexpected window %s", w ? w->metaObject()->className() : "none");
  return d;
}

// A main window, shown, with a sample blog of its own open.
struct OpenBlog {
  ProgramFolder pf;
  QString file = pf.file("blog.zdb");
  std::unique_ptr<app::TtheMainForm> w;
  OpenBlog();
  ~OpenBlog();
  // The rows of tblBlog after the window has closed the blog, by key.
  std::map<int32_t, store::BlogRec> storedEntries();
  // The rows of tblCategory (key, title, page name) after the window has closed the blog.
  std::vector<std::vector<std::string>> storedCategories();
};

}  // namespace tessary::apptest
