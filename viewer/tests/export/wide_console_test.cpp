// The Windows console's buffer, here where it can be watched: UTF-8 written
// in pieces of any size reaches the console as UTF-16 in whole characters.

#include "export/wide_console.h"

#include <gtest/gtest.h>

#include <ostream>

namespace pellora::exporting {
namespace {

TEST(WideConsole, CharactersCutByTheWritesArriveWhole) {
  const std::string text = "被保険者番号 ①髙橋 𠮷野 ok\n";
  for (std::size_t piece : {1u, 2u, 3u, 5u, 64u}) {
    std::u16string shown;
    std::size_t writes = 0;
    {
      WideConsoleBuffer buffer([&](std::u16string_view chunk) {
        // Every chunk is whole: no lone surrogate, no replacement character.
        EXPECT_EQ(chunk.find(u'\uFFFD'), std::u16string_view::npos);
        shown += chunk;
        ++writes;
        return true;
      });
      std::ostream out(&buffer);
      for (std::size_t at = 0; at < text.size(); at += piece) {
        out.write(text.data() + at, static_cast<std::streamsize>(std::min(piece, text.size() - at)));
        out.flush();
      }
    }
    EXPECT_EQ(shown, u"被保険者番号 ①髙橋 𠮷野 ok\n") << piece;
    EXPECT_GT(writes, 0u);
  }
}

TEST(WideConsole, AConsoleThatRefusesFailsTheStream) {
  WideConsoleBuffer buffer([](std::u16string_view) { return false; });
  std::ostream out(&buffer);
  out << "表示" << std::flush;
  EXPECT_TRUE(out.bad());
}

}  // namespace
}  // namespace pellora::exporting
