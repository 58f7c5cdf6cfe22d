#pragma once
// Answering Pellora's modal dialogs and message boxes from a test: they
// wait for the user in a loop of their own, so the answer comes from a
// timer that runs inside that loop.

#include <QApplication>
#include <QElapsedTimer>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace pellora::ui {

// Answers the next modal dialog of type T once it shows: `answer` sees it
// and closes it. Returns whether one showed within the time. The time is
// generous: on a loaded machine a file dialog can take seconds to show,
// and one that shows after the answer gave up would wait for a user until
// the test's time limit.
template <typename T>
class NextModal {
 public:
  explicit NextModal(std::function<void(T&)> answer) : answer_(std::move(answer)) {
    waited_.start();
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (T* dialog = Showing(); dialog) {
        timer_.stop();
        answered_ = true;
        answer_(*dialog);
      } else if (waited_.hasExpired(kPatienceMs)) {
        timer_.stop();
      }
    });
    timer_.start();
  }
  bool answered() const { return answered_; }

 private:
  // The active modal widget, or else any modal T that shows: the active one
  // is set when the window system activates the dialog, which a loaded
  // machine may do late.
  static T* Showing() {
    if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) return dialog;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (T* dialog = qobject_cast<T*>(widget); dialog && dialog->isVisible() && dialog->isModal()) return dialog;
    }
    return nullptr;
  }

  std::function<void(T&)> answer_;
  QTimer timer_;
  bool answered_ = false;
  static constexpr qint64 kPatienceMs = 120000;
  QElapsedTimer waited_;
};

// Answers every warning box of the main window (its title, the warning
// icon) while it lives, counting them: what a test of something else meets
// when its claim file is one the check finds errors in.
class AnswerWarningBoxes {
 public:
  explicit AnswerWarningBoxes(QString title) : title_(std::move(title)) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box && box->isVisible() && box->icon() == QMessageBox::Warning && box->windowTitle() == title_) {
        ++answered_;
        box->button(QMessageBox::Ok)->click();
      }
    });
    timer_.start();
  }
  int answered() const { return answered_; }

 private:
  QString title_;
  QTimer timer_;
  int answered_ = 0;
};

}  // namespace pellora::ui
