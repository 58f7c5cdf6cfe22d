#pragma once
// The insurer number, in the three forms the display needs, kept together
// because they must agree: the form the sort grid and the display hold, when
// two of them are the same insurer, and the form the provider's database
// keys its persons by.

#include <string>
#include <string_view>

#include "text/number_text.h"

namespace pellora::claim {

// As the sort grid and the display hold it: the value of the field as at
// least six digits with leading zeros (1234 is 001234); a field that is no
// number is 000000. Six digits, as claim files almost always write it, are
// that form already.
std::u16string InsurerNumber(std::u16string_view field);

// Two numbers of that form name one insurer when their values are equal:
// 012345 and 12345 are one insurer, 012345 and 012346 two.
inline bool SameInsurer(std::u16string_view a, std::u16string_view b) {
  return a == b || ValueOfText(a) == ValueOfText(b);
}

// Two records, or two display rows, are of one person when their insured
// numbers are the same text and their insurers the same.
inline bool SamePerson(std::u16string_view insuredA, std::u16string_view insurerA, std::u16string_view insuredB,
                       std::u16string_view insurerB) {
  return insuredA == insuredB && SameInsurer(insurerA, insurerB);
}

// As m_insd holds its keys, formatted "000000": a number as at least six
// digits with leading zeros, any other text as it is (unlike the sort
// grid's form, which makes it 000000). Six digits, as claim files almost
// always write it, are that form already.
std::u16string InsurerLookupKey(std::u16string_view text);

}  // namespace pellora::claim
