#include "win32/preview_state.h"

#include <algorithm>
#include <cmath>

#include "text/number_text.h"

namespace pellora::win32 {
namespace {

// A whole page that is a step's size to within this is that step: a zoom
// from it goes on to the next.
constexpr double kSameZoom = 0.5;

}  // namespace

PreviewState::PreviewState(int count) : count_(std::max(1, count)) {}

double PreviewState::Percent(double wholePagePercent) const { return wholePage_ ? wholePagePercent : zoom_; }

bool PreviewState::Apply(PreviewAction action, double wholePagePercent) {
  const PreviewState before = *this;
  const double shown = Percent(wholePagePercent);
  switch (action) {
    case PreviewAction::kPreviousPage: page_ = std::max(0, page_ - 1); break;
    case PreviewAction::kNextPage: page_ = std::min(count_ - 1, page_ + 1); break;
    case PreviewAction::kFirstPage: page_ = 0; break;
    case PreviewAction::kLastPage: page_ = count_ - 1; break;
    case PreviewAction::kZoomIn: {
      const auto next = std::ranges::find_if(kZoomSteps, [&](int step) { return step > shown + kSameZoom; });
      if (next != kZoomSteps.end()) {
        wholePage_ = false;
        zoom_ = *next;
      }
      break;
    }
    case PreviewAction::kZoomOut: {
      const auto next = std::find_if(kZoomSteps.rbegin(), kZoomSteps.rend(),
                                     [&](int step) { return step < shown - kSameZoom; });
      if (next != kZoomSteps.rend()) {
        wholePage_ = false;
        zoom_ = *next;
      }
      break;
    }
    case PreviewAction::kWholePage: wholePage_ = true; break;
    case PreviewAction::kActualSize:
      wholePage_ = false;
      zoom_ = 100;
      break;
  }
  return page_ != before.page_ || wholePage_ != before.wholePage_ || (!wholePage_ && zoom_ != before.zoom_);
}

bool PreviewState::CanApply(PreviewAction action, double wholePagePercent) const {
  PreviewState trial = *this;
  return trial.Apply(action, wholePagePercent);
}

void PreviewState::SetCount(int count) {
  count_ = std::max(1, count);
  page_ = std::min(page_, count_ - 1);
}

std::u16string PreviewState::PageText() const {
  return DecimalText(std::int64_t{page_ + 1}) + u" / " + DecimalText(std::int64_t{count_}) + u" ページ";
}

std::u16string PreviewState::ZoomText(double wholePagePercent) const {
  const std::u16string percent = DecimalText(std::int64_t{std::lround(Percent(wholePagePercent))}) + u"%";
  return wholePage_ ? u"ページ全体 (" + percent + u")" : percent;
}

}  // namespace pellora::win32
