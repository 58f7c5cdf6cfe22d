// The clerk's keys: the command a key starts where the focus is, no key
// starting two commands in one place, and the context menu's order. What
// the commands do on screen is the UI tests' (tests/ui, and the Wine
// driver in tests/windows).

#include "shell/clerk_keys.h"

#include <gtest/gtest.h>

namespace pellora {
namespace {

constexpr ClerkKey Ctrl(char letter) { return {LetterKey(letter), kControl}; }
constexpr ClerkKey Plain(KeyCode code, unsigned modifiers = kNoModifier) { return {code, modifiers}; }

TEST(ClerkKeys, AKeyStartsItsCommandOnlyWhereItBelongs) {
  using enum ClerkCommand;
  constexpr KeyPlace grid = KeyPlace::kClerkGrid, box = KeyPlace::kFindBox, window = KeyPlace::kWindow;
  const struct {
    ClerkKey key;
    KeyPlace focus;
    std::optional<ClerkCommand> command;
  } cases[] = {
      {Ctrl('A'), grid, kSelectAll},
      {Ctrl('A'), box, std::nullopt},     // the text box's own select all
      {Ctrl('A'), window, std::nullopt},  // the path boxes' own
      {Ctrl('C'), grid, kCopy},
      {Plain(KeyCode::kInsert, kControl), grid, kCopy},
      {Ctrl('C'), window, std::nullopt},
      {Plain(LetterKey('C')), grid, std::nullopt},
      {Plain(LetterKey('A'), kControl | kShift), grid, std::nullopt},
      {Ctrl('F'), grid, kOpenFind},
      {Ctrl('F'), box, kOpenFind},
      {Ctrl('F'), window, kOpenFind},
      {Plain(LetterKey('F'), kControl | kAlt), window, std::nullopt},
      {Plain(KeyCode::kF3), grid, kFindNext},
      {Plain(KeyCode::kF3), window, kFindNext},
      {Plain(KeyCode::kF3, kShift), box, kFindPrevious},
      {Plain(KeyCode::kF3, kControl), window, std::nullopt},
      {Plain(KeyCode::kF3, kOtherModifier), window, std::nullopt},
      {Plain(KeyCode::kEnter), box, kFindNext},
      {Plain(KeyCode::kEnter), grid, std::nullopt},  // a grid's Enter is the dialog manager's
      {Plain(KeyCode::kEscape), box, kCloseFind},
      {Plain(KeyCode::kEscape), window, std::nullopt},
      {Plain(KeyCode::kOther, kControl), grid, std::nullopt},
      {Ctrl('P'), grid, kPrint},
      {Ctrl('P'), box, kPrint},
      {Ctrl('P'), window, kPrint},
      {Plain(LetterKey('P'), kControl | kShift), window, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(ClerkCommandOf(cases[i].key, cases[i].focus), cases[i].command) << "case " << i;
}

TEST(ClerkKeys, NoKeyStartsTwoCommandsInOnePlace) {
  const auto overlap = [](KeyPlace a, KeyPlace b) {
    return a == b || a == KeyPlace::kWindow || b == KeyPlace::kWindow;
  };
  for (const ClerkCommandEntry& a : ClerkCommands())
    for (const ClerkCommandEntry& b : ClerkCommands())
      for (const KeyBinding& x : a.keys)
        for (const KeyBinding& y : b.keys) {
          const bool clash = a.command != b.command && x.key.code != KeyCode::kOther && x.key == y.key;
          EXPECT_FALSE(clash && overlap(x.place, y.place))
              << static_cast<int>(a.command) << " and " << static_cast<int>(b.command);
        }
}

TEST(ClerkKeys, TheMenuCopiesAndSelectsAllThenSavesPrintsAndChecksEachBelowALine) {
  std::vector<ClerkCommand> commands;
  std::vector<bool> lines;
  for (const ClerkCommandEntry* entry : ClerkMenu()) {
    EXPECT_FALSE(entry->menuCaption.empty());
    commands.push_back(entry->command);
    lines.push_back(entry->lineBefore);
  }
  EXPECT_EQ(commands, (std::vector{ClerkCommand::kCopy, ClerkCommand::kSelectAll, ClerkCommand::kSaveDisplay,
                                   ClerkCommand::kPrint, ClerkCommand::kPrintPreview, ClerkCommand::kCheck}));
  EXPECT_EQ(lines, (std::vector{false, false, true, true, false, true}));
}

}  // namespace
}  // namespace pellora
