#pragma once
// Answering Pellora's modal dialogs and message boxes from a test: they
// wait for the user in a loop of their own, so the answer comes from a
// timer that runs inside that loop.

#include <QApplication>
#include <QTimer>
#include <functional>

namespace pellora::ui {

// Answers the next modal dialog of type T once it shows: `answer` sees it
// and closes it. Returns whether one showed within the time.
template <typename T>
class NextModal {
 public:
  explicit NextModal(std::function<void(T&)> answer) : answer_(std::move(answer)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget()); dialog && dialog->isVisible()) {
        timer_.stop();
        answered_ = true;
        answer_(*dialog);
      } else if (++ticks_ > 500) {
        timer_.stop();
      }
    });
    timer_.start();
  }
  bool answered() const { return answered_; }

 private:
  std::function<void(T&)> answer_;
  QTimer timer_;
  bool answered_ = false;
  int ticks_ = 0;
};

}  // namespace pellora::ui
