// The windows' design: what the normal and the debug size show, the
// dialog's controls inside its client area, and the access keys.

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "claim/display_columns.h"
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

// The outer size from the frame a desktop really draws: the design's where
// its thin frame leaves the controls whole, grown just enough where a
// desktop of today's taller caption and padded borders would cut them.
TEST(MainWindowDesign, TheOuterSizeHoldsTheShownControlsInAnyFrame) {
  const auto normal = [](MainControl c) { return !Design(c).debugOnly; };
  const auto debug = [](MainControl) { return true; };
  const TwipsSize designFrame = {2 * kFrameBorderTwips, 2 * kFrameBorderTwips + kTitleBarTwips};
  // Windows 11 at 96 dots per inch: 8 pixels of border and padding a side, a caption of 23 above.
  const TwipsSize win11Frame = {16 * kTwipsPerPixel, (23 + 16) * kTwipsPerPixel};
  const struct {
    const char* what;
    std::function<bool(MainControl)> shown;
    TwipsSize designOuter;
    TwipsSize frame;
    TwipsSize expected;
  } cases[] = {
      {"the design's frame", normal, kMainNormalOuterSize, designFrame, kMainNormalOuterSize},
      {"no frame at all", normal, kMainNormalOuterSize, {}, kMainNormalOuterSize},
      {"Windows 11's frame", normal, kMainNormalOuterSize, win11Frame, {9915 + 240, 7575 + 585}},
      {"debug, the design's frame", debug, OuterSizeOf(kMainDesignClientSize), designFrame,
       OuterSizeOf(kMainDesignClientSize)},
      {"debug, Windows 11's frame", debug, OuterSizeOf(kMainDesignClientSize), win11Frame, {13755 + 240, 11355 + 585}},
  };
  for (const auto& c : cases) {
    const TwipsSize needed = ClientSizeNeeded(c.shown);
    const TwipsSize outer = OuterSizeHolding(c.designOuter, needed, c.frame);
    EXPECT_EQ(outer, c.expected) << c.what;
    const TwipsSize client{outer.width - c.frame.width, outer.height - c.frame.height};
    for (std::size_t i = 0; i < kMainControlCount; ++i) {
      const MainControl control = static_cast<MainControl>(i);
      if (c.shown(control)) {
        EXPECT_TRUE(Inside(Design(control).rect, client)) << c.what << ": control " << i;
      }
    }
  }
  // The database box is the lowest control: the one the old rule cut off.
  EXPECT_EQ(ClientSizeNeeded(normal).height, Design(MainControl::lblDBname1).rect.bottom());
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

// Column widths as a view lays a grid out: the routines' twips, headings
// measured, and the four service-kind columns equally wide.
TEST(GridColumns, WidthsFromTwipsFromHeadingsAndEquallyWideServiceKinds) {
  FlexGrid viewer(GridDesign{1, 7, 1, 1});
  viewer.SetFormatString(u"|年月|被保険者番号|保険者番号|氏名|　訪問看護　|予防訪問看護|　居宅療養　|予防居宅療養|備考");
  viewer.SetColWidth(1, 1000);
  viewer.SetColWidth(2, 1000);  // too narrow for its heading
  viewer.SetColWidth(3, 0);
  viewer.SetColWidth(4, 1500);
  viewer.SetColWidth(9, 1);  // a width of its own keeps it out of the group, and its heading fits
  // Twelve pixels a character, but a blank is narrow: the padded headings
  // measure less than the others.
  const auto measure = [](std::u16string_view text) {
    int width = 0;
    for (const char16_t c : text) width += c == u'　' ? 2 : 12;
    return width;
  };
  const std::vector<int> widths = ColumnPixelWidths(viewer, measure, kServiceKindColumns);
  EXPECT_EQ(widths, (std::vector<int>{16, 67, 12 * 6 + 8, 0, 100, 80, 80, 80, 80, 2 * 12 + 8}));

  FlexGrid sort(GridDesign{3, 2, 0, 0});  // no headings at all
  EXPECT_EQ(ColumnPixelWidths(sort, measure), (std::vector<int>{64, 64}));
  FlexGrid totals(GridDesign{1, 2, 1, 0});
  totals.SetFormatString(u"人数|サービス");
  EXPECT_EQ(ColumnPixelWidths(totals, measure), (std::vector<int>{40, 12 * 4 + 8}));
}

}  // namespace
}  // namespace pellora
