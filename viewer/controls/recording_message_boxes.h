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

  std::vector<Shown> shown;
};

}  // namespace pellora
