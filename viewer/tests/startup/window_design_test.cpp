// The windows' design: what the normal and the debug size show, the
// dialog's controls inside its client area, and the access keys.

#include <gtest/gtest.h>

#include <set>

#include "shell/window_design.h"

namespace pellora {
namespace {

bool Inside(const TwipsRect& r, TwipsSize area) {
  return r.left >= 0 && r.top >= 0 && r.right() <= area.width && r.bottom() <= area.height;
}
bool Outside(const TwipsRect& r, TwipsSize area) { return r.left >= area.width || r.top >= area.height; }

TEST(MainWindowDesign, TheNormalSizeShowsEverythingButTheDebugControls) {
  const TwipsSize normal = ClientSizeOf(kMainNormalOuterSize);
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const ControlDesign& d = Design(static_cast<MainControl>(i));
    EXPECT_TRUE(Inside(d.rect, kMainDesignClientSize)) << "design size: " << i;
    if (d.debugOnly) {
      EXPECT_TRUE(Outside(d.rect, normal)) << "normal size shows debug control " << i;
    } else {
      EXPECT_TRUE(Inside(d.rect, normal)) << "normal size cuts control " << i;
    }
  }
  // In pixels at 96 dots per inch.
  EXPECT_EQ(TwipsToPixels(normal.width), 666);
  EXPECT_EQ(TwipsToPixels(normal.height), 505);
  EXPECT_EQ(TwipsToPixels(kMainDesignClientSize.width), 922);
  EXPECT_EQ(TwipsToPixels(kMainDesignClientSize.height), 768);
}

TEST(MainWindowDesign, AccessKeysAreDistinctAndNamedByTheirCaptions) {
  const struct {
    MainControl control;
    char16_t key;
    std::u16string shown;
  } cases[] = {
      {MainControl::comFileSelect, u'O', u"ファイル選択(O)"},
      {MainControl::cmdJob0, u'C', u"閉じる(C)"},
      {MainControl::Label1, u'I', u"INI　名"},
      {MainControl::Command1, u'D', u"DB　名"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AccessKey(Design(c.control).caption), c.key);
    EXPECT_EQ(ShownCaption(Design(c.control).caption), c.shown);
  }
  std::set<char16_t> keys;
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    if (const char16_t key = AccessKey(Design(static_cast<MainControl>(i)).caption)) {
      EXPECT_TRUE(keys.insert(key).second);
    }
  }
  EXPECT_EQ(keys.size(), 4u);
  EXPECT_EQ(AccessKey(u"Save && &quit"), u'Q');
  EXPECT_EQ(ShownCaption(u"Save && &quit"), u"Save & quit");
  EXPECT_EQ(AccessKey(u"none &"), 0);
}

TEST(DatabaseDialogDesign, ItsControlsFitAndItsButtonsAnswerEnterAndEsc) {
  for (std::size_t i = 0; i < kDialogControlCount; ++i)
    EXPECT_TRUE(Inside(Design(static_cast<DialogControl>(i)).rect, kDialogClientSize)) << i;
  EXPECT_TRUE(Design(DialogControl::Command1_0).defaultButton);
  EXPECT_TRUE(Design(DialogControl::Command1_1).cancelButton);
  EXPECT_FALSE(Design(DialogControl::Command1_0).cancelButton);
  EXPECT_EQ(TwipsToPixels(kDialogClientSize.width), 475);
  EXPECT_EQ(TwipsToPixels(kDialogClientSize.height), 105);
}

}  // namespace
}  // namespace pellora
