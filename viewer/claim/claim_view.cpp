#include "claim/claim_view.h"

namespace pellora {

std::u16string_view CaptionText(YearMonthCaption caption) {
  switch (caption) {
    case YearMonthCaption::Processing: return u"処理対象年月";
    case YearMonthCaption::Submission: return u"提出年月";
    case YearMonthCaption::Design: break;
  }
  return u"年月";
}

}  // namespace pellora
