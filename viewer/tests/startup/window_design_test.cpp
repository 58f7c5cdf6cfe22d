// The windows' design: what the normal and the debug size show, the
// dialog's controls inside its client area, and the access keys.

#include <gtest/gtest.h>

#include <algorithm>
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
  const TwipsSize normal = MainMinimumClientSize(ClientSizeOf(kMainNormalOuterSize),
                                                 [](MainControl c) { return !Design(c).debugOnly; });
  // The design's client area and the status line below it.
  EXPECT_EQ(normal, (TwipsSize{9990, 7575 + kStatusLineGap + kStatusLineHeight}));
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const ControlDesign& d = Design(static_cast<MainControl>(i));
    EXPECT_TRUE(Inside(d.rect, kMainDesignClientSize)) << "design size: " << i;
    if (d.debugOnly) {
      EXPECT_TRUE(Outside(d.rect, ClientSizeOf(kMainNormalOuterSize))) << "normal size shows debug control " << i;
    } else {
      EXPECT_TRUE(Inside(d.rect, normal)) << "normal size cuts control " << i;
    }
  }
  // In pixels at 96 dots per inch.
  EXPECT_EQ(TwipsToPixels(normal.width), 666);
  EXPECT_EQ(TwipsToPixels(ClientSizeOf(kMainNormalOuterSize).height), 505);
  EXPECT_EQ(TwipsToPixels(kMainDesignClientSize.width), 922);
  EXPECT_EQ(TwipsToPixels(kMainDesignClientSize.height), 768);
}

// The window grown: at its smallest every control is where the design
// puts it; what it gains goes to the grids, and nothing leaves the client
// area or comes to lie over another control.
TEST(MainWindowLayout, TheGridsTakeWhatTheWindowGainsAndTheRestKeepsToItsEdges) {
  const auto shownIn = [](bool debug) {
    return [debug](MainControl c) { return debug || !Design(c).debugOnly; };
  };
  const MainLayout normal{MainMinimumClientSize(ClientSizeOf(kMainNormalOuterSize), shownIn(false)), false};
  const MainLayout debug{MainMinimumClientSize(kMainDesignClientSize, shownIn(true)), true};
  using enum MainControl;
  const TwipsRect design = Design(vsfViewer).rect;
  const struct {
    const char* what;
    const MainLayout& layout;
    TwipsSize gained;
    TwipsRect viewer, total, close, databaseBox, status, rawGrid;
  } cases[] = {
      {"normal, smallest", normal, {0, 0}, design, Design(vsfTotal).rect, Design(cmdJob0).rect,
       Design(lblDBname1).rect, Design(lblStatus).rect, Design(vsfCsv).rect},
      {"normal, smaller than smallest", normal, {-3000, -2000}, design, Design(vsfTotal).rect, Design(cmdJob0).rect,
       Design(lblDBname1).rect, Design(lblStatus).rect, Design(vsfCsv).rect},
      {"normal, maximised", normal, {9000, 6000}, {120, 1020, 9795 + 9000, 5775 + 6000}, {6540 + 9000, 120, 3375, 795},
       {8340 + 9000, 6960 + 6000, 1515, 495}, {2580, 7200 + 6000, 5655 + 9000, 375},
       {120, 7620 + 6000, 9750 + 9000, 300}, {240, 7680 + 6000, 13395 + 9000, 3075}},
      {"debug, grown", debug, {3000, 2001}, {120, 1020, 9795 + 3000, 5775 + 1000}, {6540 + 3000, 120, 3375, 795},
       {8340 + 3000, 6960 + 1000, 1515, 495}, {2580, 7200 + 1000, 5655 + 3000, 375},
       {120, 11565 + 2001, 13590 + 3000, 300}, {240, 7680 + 1000, 13395 + 3000, 3075 + 1001}},
  };
  for (const auto& c : cases) {
    const TwipsSize client{c.layout.minimum.width + c.gained.width, c.layout.minimum.height + c.gained.height};
    const auto at = [&](MainControl control) { return c.layout.Place(control, client); };
    const auto same = [](const TwipsRect& a, const TwipsRect& b) {
      return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    };
    EXPECT_TRUE(same(at(vsfViewer), c.viewer)) << c.what;
    EXPECT_TRUE(same(at(vsfTotal), c.total)) << c.what;
    EXPECT_TRUE(same(at(cmdJob0), c.close)) << c.what;
    EXPECT_TRUE(same(at(lblDBname1), c.databaseBox)) << c.what;
    EXPECT_TRUE(same(at(lblStatus), c.status)) << c.what;
    if (c.layout.debug) {
      EXPECT_TRUE(same(at(vsfCsv), c.rawGrid)) << c.what;
    }
    // The header stays where it was, at the top left.
    EXPECT_TRUE(same(at(lblHead3), Design(lblHead3).rect)) << c.what;
    const TwipsSize area{std::max(client.width, c.layout.minimum.width),
                         std::max(client.height, c.layout.minimum.height)};
    for (std::size_t i = 0; i < kMainControlCount; ++i) {
      const MainControl control = static_cast<MainControl>(i);
      if (!shownIn(c.layout.debug)(control)) continue;
      EXPECT_TRUE(Inside(at(control), area)) << c.what << ": control " << i;
      for (std::size_t j = i + 1; j < kMainControlCount; ++j) {
        const MainControl other = static_cast<MainControl>(j);
        if (!shownIn(c.layout.debug)(other)) continue;
        const TwipsRect a = at(control), b = at(other);
        // Label1 and Command1 overlap by design, as do the INI box's label
        // and the database button.
        const bool apart = a.right() <= b.left || b.right() <= a.left || a.bottom() <= b.top || b.bottom() <= a.top;
        const bool designOverlap = !(Design(control).rect.right() <= Design(other).rect.left ||
                                     Design(other).rect.right() <= Design(control).rect.left ||
                                     Design(control).rect.bottom() <= Design(other).rect.top ||
                                     Design(other).rect.bottom() <= Design(control).rect.top);
        EXPECT_TRUE(apart || designOverlap) << c.what << ": controls " << i << " and " << j;
      }
    }
  }
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
