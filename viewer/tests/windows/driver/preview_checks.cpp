// The print preview: its page and zoom as a state, step by step, and then
// the window itself, paged and zoomed with its keys, buttons and the wheel
// and checked against that state after each step; its 印刷... without a
// printer, its picture, and the main window disabled while it shows.

#include <string>
#include <vector>

#include "tests/windows/driver/driver.h"
#include "win32/page_painter.h"
#include "win32/preview_state.h"
#include "win32/preview_window.h"
#include "win32/print_session.h"

namespace ui_driver {

void PreviewSteps() {
  Section("the preview's page and zoom, step by step");
  using A = PreviewAction;
  const struct {
    const char* what;
    int count;
    double whole;  // the whole page's zoom in the window
    std::vector<A> actions;
    std::u16string page, zoom;
    bool lastChanged;
  } cases[] = {
      {"paging stops at the last page", 3, 60, {A::kNextPage, A::kNextPage, A::kNextPage}, u"3 / 3 ページ",
       u"ページ全体 (60%)", false},
      {"and at the first", 3, 60, {A::kLastPage, A::kPreviousPage, A::kFirstPage, A::kPreviousPage}, u"1 / 3 ページ",
       u"ページ全体 (60%)", false},
      {"zooming in from the whole page: the next step above it", 2, 60, {A::kZoomIn}, u"1 / 2 ページ", u"75%", true},
      {"a whole page of a step's size zooms past it", 1, 100.2, {A::kZoomIn}, u"1 / 1 ページ", u"150%", true},
      {"zooming out from the whole page: the next step below it", 1, 60, {A::kZoomOut}, u"1 / 1 ページ", u"50%", true},
      {"the zoom stops at 400%", 1, 60, {A::kActualSize, A::kZoomIn, A::kZoomIn, A::kZoomIn, A::kZoomIn, A::kZoomIn},
       u"1 / 1 ページ", u"400%", false},
      {"a whole page under 25% zooms out no further", 1, 20, {A::kZoomOut}, u"1 / 1 ページ", u"ページ全体 (20%)", false},
      {"back to the whole page", 1, 60, {A::kActualSize, A::kZoomOut, A::kWholePage}, u"1 / 1 ページ",
       u"ページ全体 (60%)", true},
  };
  for (const auto& c : cases) {
    PreviewState state(c.count);
    bool changed = false;
    for (const A action : c.actions) changed = state.Apply(action, c.whole);
    CheckEqual(state.PageText(), c.page, std::string(c.what) + ": the page");
    CheckEqual(state.ZoomText(c.whole), c.zoom, std::string(c.what) + ": the zoom");
    Check(changed == c.lastChanged,
          std::string(c.what) + (c.lastChanged ? ": the last step shows" : ": the last step changes nothing"));
  }
  PreviewState state(5);
  state.Apply(A::kLastPage, 60);
  state.SetCount(2);
  CheckEqual(state.PageText(), std::u16string(u"2 / 2 ページ"), "pages laid out again, fewer: the last of them");
}

void Preview(Program& p, const std::wstring& screenshot) {
  Section("印刷プレビュー...: paged, zoomed and closed");
  const int count =
      p.form.DisplayPages(pellora::print::SheetOf(p.form.PrintSetup()), GdiTextWidth(), {2024, 5, 10}).Count();
  std::vector<std::u16string> pages, zooms;
  bool ownerDisabled = false, pictured = screenshot.empty(), boxOver = false;
  std::wstring boxText;
  // What each step does, in the order the driver takes them.
  const std::vector<PreviewAction> steps = {
      PreviewAction::kNextPage, PreviewAction::kNextPage,   PreviewAction::kPreviousPage, PreviewAction::kLastPage,
      PreviewAction::kZoomIn,   PreviewAction::kZoomIn,     PreviewAction::kZoomOut,      PreviewAction::kActualSize,
      PreviewAction::kWholePage, PreviewAction::kFirstPage};
  HWND owner = p.window.hwnd();
  const bool shown = WithWindow([&] { ChooseFromMenuEnd(p, 2); }, PreviewWindow::kClassName, [&](HWND preview) {
    ownerDisabled = !IsWindowEnabled(owner);
    HWND view = GetDlgItem(preview, PreviewWindow::kPageId);
    const auto seeState = [&] {
      Sleep(200);
      pages.push_back(FromWide(TextOf(GetDlgItem(preview, PreviewWindow::kPageTextId))));
      zooms.push_back(FromWide(TextOf(GetDlgItem(preview, PreviewWindow::kZoomTextId))));
    };
    seeState();
    // Keys, buttons and the wheel, one each way.
    TypeKey(view, VK_NEXT), seeState();
    PressButton(preview, PreviewWindow::kNextId), seeState();
    PressButton(preview, PreviewWindow::kPreviousId), seeState();
    TypeKey(view, VK_END), seeState();
    PressButton(preview, PreviewWindow::kZoomInId), seeState();
    TypeKey(view, VK_OEM_PLUS), seeState();
    PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA)), 0), seeState();
    PressButton(preview, PreviewWindow::kActualSizeId), seeState();
    PressButton(preview, PreviewWindow::kWholePageId), seeState();
    TypeKey(view, VK_HOME), seeState();
    RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    if (!screenshot.empty()) pictured = SavePicture(preview, screenshot);
    // 印刷... from the preview: the box says there is no printer, over
    // the preview.
    PressButton(preview, PreviewWindow::kPrintId);
    if (HWND answer = WaitForWindow(GetWindowThreadProcessId(preview, nullptr), L"#32770")) {
      Sleep(200);
      boxText = TextOf(GetDlgItem(answer, 0xFFFF));
      boxOver = GetWindow(answer, GW_OWNER) == preview;
      PressButton(answer, IDOK);
      Sleep(300);
    }
    TypeKey(view, VK_ESCAPE);
  });
  Check(shown, "the preview window shows");
  Check(ownerDisabled, "the main window disabled while it shows");
  Check(pages.size() == steps.size() + 1, "every step seen");
  if (pages.size() == steps.size() + 1 && !zooms.empty()) {
    // The window as the state says after the same steps, from the whole
    // page's zoom it showed first.
    const std::u16string first = zooms.front();
    const std::size_t open = first.find(u'('), close = first.find(u'%');
    const double whole = open == std::u16string::npos ? 0 : std::stod(Utf8(first.substr(open + 1, close - open - 1)));
    PreviewState expected(count);
    CheckEqual(pages[0], expected.PageText(), "it opens on the first page of the layout's " + std::to_string(count));
    CheckEqual(zooms[0], expected.ZoomText(whole), "the whole page in sight");
    for (std::size_t i = 0; i < steps.size(); ++i) {
      expected.Apply(steps[i], whole);
      CheckEqual(pages[i + 1], expected.PageText(), "step " + std::to_string(i + 1) + ": the page");
      CheckEqual(zooms[i + 1], expected.ZoomText(whole), "step " + std::to_string(i + 1) + ": the zoom");
    }
  }
  CheckEqual(FromWide(boxText), std::u16string(kNoPrinterText), "its 印刷... tells that there is no printer");
  Check(boxOver, "in a box over the preview");
  Check(pictured, "the preview's picture written");
  Check(IsWindowEnabled(owner) && !FindWindowW(PreviewWindow::kClassName, nullptr),
        "Esc closes it, the window usable again");
}

}  // namespace ui_driver
