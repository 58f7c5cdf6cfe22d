#pragma once
// Message boxes that are only remembered, for tests and headless runs.

#include <optional>
#include <string>
#include <vector>

#include "controls/message_boxes.h"

namespace pellora {

class RecordingMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::u16string text;
    MsgIcon icon;
    std::optional<std::u16string> title;
    bool operator==(const Shown&) const = default;
  };

  void Show(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) override {
    shown.push_back({std::move(text), icon, std::move(title)});
  }

  // A question is remembered as asked, and answered by `answers` in turn
  // (No once they run out).
  bool AskYesNo(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) override {
    asked.push_back({std::move(text), icon, std::move(title)});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.erase(answers.begin());
    return yes;
  }

  std::vector<Shown> shown;
  std::vector<Shown> asked;
  std::vector<bool> answers;
};

}  // namespace pellora
