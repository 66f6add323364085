#include "platform/qt/WindowSystem_qt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/Form_qt.h"

namespace duskline::qt {

QtWindowSystem::~QtWindowSystem() {
  doomed_.clear();
}

std::unique_ptr<Form> QtWindowSystem::CreateForm(const FormLayout& layout) {
  return std::make_unique<QtForm>(FormHost{&lastResort_, &live_}, layout);
}

void QtWindowSystem::DestroyLater(std::unique_ptr<Form> form) {
  if (!form) return;
  form->Hide();
  doomed_.push_back(std::move(form));
  QMetaObject::invokeMethod(
      &host_,
      [this] {
        FromEventLoop(&lastResort_, [this] {
          // A destructor that unloads another form adds to the list: take the list first.
          std::vector<std::unique_ptr<Form>> doomed;
          doomed.swap(doomed_);
        });
      },
      Qt::QueuedConnection);
}

void QtWindowSystem::MessageBox(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                  QString::fromStdString(text), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.button(QMessageBox::Ok)->setIcon(QIcon());  // some styles give buttons pictures
  // Modal to all our windows, also when the main window is hidden in the tray.
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtWindowSystem::RaiseOnEveryForm(Handler Form::*event) {
  // A handler may destroy forms: each one is looked for again before it is told.
  const std::vector<QtForm*> forms = live_;
  for (QtForm* form : forms)
    if (std::find(live_.begin(), live_.end(), form) != live_.end()) form->Raise(form->*event);
}

int QtWindowSystem::Run() {
  return QApplication::exec();
}

}  // namespace duskline::qt
