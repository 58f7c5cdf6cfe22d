// Automation values: BSTRs, VARIANT copies and clears, coercions, arrays.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>

#include "tests/automation/ordinary_com.h"
#include "tests/automation/test_support.h"

using testing_support::Bstr;
using testing_support::Narrow;
using testing_support::Variant;

namespace {

// --- BSTR ---------------------------------------------------------------------

TEST(Bstr, NullAndEmptyAreDifferentValues) {
  Bstr empty(u"");
  EXPECT_NE(empty.b, nullptr);
  EXPECT_EQ(SysStringLen(empty.b), 0u);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

TEST(Bstr, KeepsEmbeddedNullsAndCountsBytesInItsPrefix) {
  const OLECHAR text[] = {u'a', 0, u'b', 0};
  Bstr s(std::u16string_view(text, 3));
  EXPECT_EQ(SysStringLen(s.b), 3u);
  EXPECT_EQ(SysStringByteLen(s.b), 6u);
  DWORD prefix;
  std::memcpy(&prefix, reinterpret_cast<const char*>(s.b) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(s.b[3], 0) << "terminated after the counted characters";
  EXPECT_EQ(s.Text(), std::u16string(u"a\0b", 3));
}

TEST(Bstr, ByteLengthStringsMayBeOdd) {
  BSTR s = SysAllocStringByteLen("abc", 3);
  EXPECT_EQ(SysStringByteLen(s), 3u);
  EXPECT_EQ(SysStringLen(s), 1u);
  EXPECT_EQ(reinterpret_cast<const char*>(s)[3], 0);
  SysFreeString(s);
}

TEST(Bstr, ReallocationFromItsOwnTextIsSafe) {
  BSTR s = SysAllocString(u"holiday");
  ASSERT_TRUE(SysReAllocStringLen(&s, s + 3, 4));
  EXPECT_EQ(std::u16string(s, SysStringLen(s)), u"iday");
  ASSERT_TRUE(SysReAllocString(&s, nullptr));
  EXPECT_EQ(s, nullptr);
}

// --- VARIANT copy and clear ---------------------------------------------------

TEST(Variant, CopyingAnObjectAddsAReferenceAndClearingReleasesIt) {
  auto* object = new sample::KeyedObject(u"A");
  {
    Variant a, b;
    V_VT(&a.v) = VT_DISPATCH;
    V_DISPATCH(&a.v) = object;
    object->AddRef();
    EXPECT_EQ(object->References(), 2u);
    ASSERT_EQ(VariantCopy(&b.v, &a.v), S_OK);
    EXPECT_EQ(object->References(), 3u);
    ASSERT_EQ(VariantClear(&b.v), S_OK);
    EXPECT_EQ(V_VT(&b.v), VT_EMPTY);
    EXPECT_EQ(object->References(), 2u);
  }
  EXPECT_EQ(object->References(), 1u);
  object->Release();
}

TEST(Variant, CopyOverAnObjectReleasesWhatTheDestinationHeld) {
  auto* held = new sample::KeyedObject(u"old");
  Variant dest, src;
  V_VT(&dest.v) = VT_UNKNOWN;
  V_UNKNOWN(&dest.v) = held;
  held->AddRef();
  V_VT(&src.v) = VT_BSTR;
  V_BSTR(&src.v) = SysAllocString(u"new");
  ASSERT_EQ(VariantCopy(&dest.v, &src.v), S_OK);
  EXPECT_EQ(held->References(), 1u);
  EXPECT_NE(V_BSTR(&dest.v), V_BSTR(&src.v)) << "strings are duplicated";
  held->Release();
}

TEST(Variant, CopyOfAReferenceStaysAReferenceAndCopyIndDereferences) {
  LONG value = 42;
  Variant ref, copy, deref;
  V_VT(&ref.v) = VT_I4 | VT_BYREF;
  V_I4REF(&ref.v) = &value;
  ASSERT_EQ(VariantCopy(&copy.v, &ref.v), S_OK);
  EXPECT_EQ(V_VT(&copy.v), VT_I4 | VT_BYREF);
  EXPECT_EQ(V_I4REF(&copy.v), &value);
  ASSERT_EQ(VariantCopyInd(&deref.v, &ref.v), S_OK);
  EXPECT_EQ(V_VT(&deref.v), VT_I4);
  EXPECT_EQ(V_I4(&deref.v), 42);
}

TEST(Variant, BadTypesAreRefused) {
  VARIANT v;
  VariantInit(&v);
  v.vt = 15;  // no such type
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
  v.vt = VT_VARIANT;  // only by reference
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
  v.vt = VT_EMPTY;
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

// --- Coercion -----------------------------------------------------------------

VARIANT* Text(Variant& v, const char16_t* text) {
  V_VT(&v.v) = VT_BSTR;
  V_BSTR(&v.v) = SysAllocString(text);
  return &v.v;
}

struct ToI4Case {
  const char* what;
  VARTYPE vt;
  double number;  // for VT_R8 / VT_DATE / VT_I2 / VT_BOOL sources
  const char16_t* text;
  HRESULT result;
  LONG expected;
};

class CoerceToI4 : public ::testing::TestWithParam<ToI4Case> {};

TEST_P(CoerceToI4, GivesThePlatformsResult) {
  const ToI4Case& c = GetParam();
  Variant src, dest;
  if (c.vt == VT_BSTR) {
    Text(src, c.text);
  } else {
    V_VT(&src.v) = c.vt;
    if (c.vt == VT_R8) V_R8(&src.v) = c.number;
    if (c.vt == VT_DATE) V_DATE(&src.v) = c.number;
    if (c.vt == VT_I2) V_I2(&src.v) = static_cast<SHORT>(c.number);
    if (c.vt == VT_BOOL) V_BOOL(&src.v) = static_cast<VARIANT_BOOL>(c.number);
  }
  EXPECT_EQ(VariantChangeType(&dest.v, &src.v, 0, VT_I4), c.result) << c.what;
  if (SUCCEEDED(c.result)) {
    EXPECT_EQ(V_VT(&dest.v), VT_I4) << c.what;
    EXPECT_EQ(V_I4(&dest.v), c.expected) << c.what;
  } else {
    EXPECT_EQ(V_VT(&dest.v), VT_EMPTY) << c.what << ": a failure leaves the destination alone";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoerceToI4,
    ::testing::Values(ToI4Case{"2.5 rounds to even", VT_R8, 2.5, nullptr, S_OK, 2},
                      ToI4Case{"3.5 rounds to even", VT_R8, 3.5, nullptr, S_OK, 4},
                      ToI4Case{"2.6 rounds up", VT_R8, 2.6, nullptr, S_OK, 3},
                      ToI4Case{"-2.5 rounds to even", VT_R8, -2.5, nullptr, S_OK, -2},
                      ToI4Case{"-1.5 rounds to even", VT_R8, -1.5, nullptr, S_OK, -2},
                      ToI4Case{"largest", VT_R8, 2147483647.4, nullptr, S_OK, 2147483647},
                      ToI4Case{"too large", VT_R8, 2147483647.5, nullptr, DISP_E_OVERFLOW, 0},
                      ToI4Case{"too small", VT_R8, -2147483649.0, nullptr, DISP_E_OVERFLOW, 0},
                      ToI4Case{"not a number", VT_R8, NAN, nullptr, DISP_E_OVERFLOW, 0},
                      ToI4Case{"a date", VT_DATE, 45383.75, nullptr, S_OK, 45384},
                      ToI4Case{"a short", VT_I2, -7, nullptr, S_OK, -7},
                      ToI4Case{"True", VT_BOOL, -1, nullptr, S_OK, -1},
                      ToI4Case{"Empty", VT_EMPTY, 0, nullptr, S_OK, 0},
                      ToI4Case{"Null", VT_NULL, 0, nullptr, DISP_E_TYPEMISMATCH, 0},
                      ToI4Case{"numeric text", VT_BSTR, 0, u"12", S_OK, 12},
                      ToI4Case{"text with blanks and sign", VT_BSTR, 0, u"  -12 ", S_OK, -12},
                      ToI4Case{"decimal text rounds", VT_BSTR, 0, u"2.5", S_OK, 2},
                      ToI4Case{"exponent text", VT_BSTR, 0, u"1e3", S_OK, 1000},
                      ToI4Case{"text too large", VT_BSTR, 0, u"99999999999", DISP_E_OVERFLOW, 0},
                      ToI4Case{"a word", VT_BSTR, 0, u"abc", DISP_E_TYPEMISMATCH, 0},
                      ToI4Case{"empty text", VT_BSTR, 0, u"", DISP_E_TYPEMISMATCH, 0},
                      ToI4Case{"number then word", VT_BSTR, 0, u"12abc", DISP_E_TYPEMISMATCH, 0},
                      ToI4Case{"infinity is no number", VT_BSTR, 0, u"inf", DISP_E_TYPEMISMATCH, 0},
                      ToI4Case{"beyond any double", VT_BSTR, 0, u"1e400", DISP_E_OVERFLOW, 0},
                      ToI4Case{"below any double", VT_BSTR, 0, u"1e-400", S_OK, 0},
                      ToI4Case{"an error value", VT_ERROR, 0, nullptr, DISP_E_TYPEMISMATCH, 0}),
    [](const auto& info) { return testing_support::CaseName(info.param.what); });

struct ToDateCase {
  const char* what;
  const char16_t* text;
  bool ok;
  double expected;
};

class CoerceTextToDate : public ::testing::TestWithParam<ToDateCase> {};

TEST_P(CoerceTextToDate, AcceptsTheDateFormsAndNothingElse) {
  const ToDateCase& c = GetParam();
  Variant src, dest;
  HRESULT hr = VariantChangeType(&dest.v, Text(src, c.text), 0, VT_DATE);
  if (!c.ok) {
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH) << c.what;
    return;
  }
  ASSERT_EQ(hr, S_OK) << c.what;
  EXPECT_EQ(V_VT(&dest.v), VT_DATE);
  EXPECT_NEAR(V_DATE(&dest.v), c.expected, 1e-9) << c.what;
}

// 2024-04-01 is day 45383 after 1899-12-30.
INSTANTIATE_TEST_SUITE_P(
    Table, CoerceTextToDate,
    ::testing::Values(ToDateCase{"ISO with dashes", u"2024-04-01", true, 45383},
                      ToDateCase{"with slashes", u"2024/04/01", true, 45383},
                      ToDateCase{"one-digit month and day", u"2024/4/1", true, 45383},
                      ToDateCase{"Japanese form", u"2024年4月1日", true, 45383},
                      ToDateCase{"with a time", u"2024/04/01 12:30", true, 45383 + 0.5 + 30.0 / 1440},
                      ToDateCase{"with seconds", u"2024-04-01 06:00:30", true, 45383 + 0.25 + 30.0 / 86400},
                      ToDateCase{"ISO T separator", u"2024-04-01T18:00", true, 45383.75},
                      ToDateCase{"Japanese form with time", u"2024年4月1日 12:00", true, 45383.5},
                      ToDateCase{"surrounding blanks", u"  2024/04/01  ", true, 45383},
                      ToDateCase{"the epoch", u"1899/12/30", true, 0},
                      ToDateCase{"before the epoch with a time", u"1899/12/29 06:00", true, -1.25},
                      ToDateCase{"first day", u"0100-01-01", true, -657434},
                      ToDateCase{"last day", u"9999-12-31", true, 2958465},
                      ToDateCase{"leap day", u"2024/02/29", true, 45351},
                      ToDateCase{"a time alone", u"12:00", true, 0.5},
                      ToDateCase{"numeric text is days", u"45383", true, 45383},
                      ToDateCase{"numeric text with fraction", u"45383.5", true, 45383.5},
                      ToDateCase{"no leap day in 2023", u"2023/02/29", false, 0},
                      ToDateCase{"month 13", u"2024/13/01", false, 0},
                      ToDateCase{"mixed separators", u"2024-04/01", false, 0},
                      ToDateCase{"hour 24", u"2024/04/01 24:00", false, 0},
                      ToDateCase{"year 10000", u"10000/01/01", false, 0},
                      ToDateCase{"two-digit year", u"24/04/01", false, 0},
                      ToDateCase{"a word", u"tomorrow", false, 0},
                      ToDateCase{"empty", u"", false, 0},
                      ToDateCase{"trailing rubbish", u"2024/04/01x", false, 0},
                      ToDateCase{"Japanese form without 日", u"2024年4月1", false, 0}),
    [](const auto& info) { return testing_support::CaseName(info.param.what); });

TEST(Coerce, DatesFromOtherKinds) {
  Variant empty, null, number, dest;
  ASSERT_EQ(VariantChangeType(&dest.v, &empty.v, 0, VT_DATE), S_OK);
  EXPECT_EQ(V_DATE(&dest.v), 0.0) << "Empty is 1899-12-30";
  V_VT(&null.v) = VT_NULL;
  EXPECT_EQ(VariantChangeType(&dest.v, &null.v, 0, VT_DATE), DISP_E_TYPEMISMATCH);
  V_VT(&number.v) = VT_R8;
  V_R8(&number.v) = -1.5;
  ASSERT_EQ(VariantChangeType(&dest.v, &number.v, 0, VT_DATE), S_OK);
  EXPECT_EQ(V_DATE(&dest.v), -1.5);
  V_R8(&number.v) = 2958466.0;  // 10000-01-01
  EXPECT_EQ(VariantChangeType(&dest.v, &number.v, 0, VT_DATE), DISP_E_OVERFLOW);
  V_R8(&number.v) = -657435.0;  // 0099-12-31
  EXPECT_EQ(VariantChangeType(&dest.v, &number.v, 0, VT_DATE), DISP_E_OVERFLOW);
}

struct ToTextCase {
  const char* what;
  VARTYPE vt;
  double number;
  const char16_t* expected;
};

class CoerceToText : public ::testing::TestWithParam<ToTextCase> {};

TEST_P(CoerceToText, WritesAsAJapaneseWindows) {
  const ToTextCase& c = GetParam();
  Variant src, dest;
  V_VT(&src.v) = c.vt;
  if (c.vt == VT_R8) V_R8(&src.v) = c.number;
  if (c.vt == VT_DATE) V_DATE(&src.v) = c.number;
  if (c.vt == VT_I4) V_I4(&src.v) = static_cast<LONG>(c.number);
  if (c.vt == VT_BOOL) V_BOOL(&src.v) = static_cast<VARIANT_BOOL>(c.number);
  ASSERT_EQ(VariantChangeType(&dest.v, &src.v, 0, VT_BSTR), S_OK) << c.what;
  EXPECT_EQ(Narrow(std::u16string(V_BSTR(&dest.v), SysStringLen(V_BSTR(&dest.v)))), Narrow(c.expected)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, CoerceToText,
                         ::testing::Values(ToTextCase{"date", VT_DATE, 45383, u"2024/04/01"},
                                           ToTextCase{"date and time", VT_DATE, 45383.5 + 30.0 / 1440,
                                                      u"2024/04/01 12:30:00"},
                                           ToTextCase{"morning hour without zero", VT_DATE, 45383.25 + 5.0 / 1440,
                                                      u"2024/04/01 6:05:00"},
                                           ToTextCase{"a time alone", VT_DATE, 0.75, u"18:00:00"},
                                           ToTextCase{"day zero", VT_DATE, 0, u"0:00:00"},
                                           ToTextCase{"before the epoch", VT_DATE, -1.25, u"1899/12/29 6:00:00"},
                                           ToTextCase{"first day", VT_DATE, -657434, u"0100/01/01"},
                                           ToTextCase{"a half", VT_R8, 2.5, u"2.5"},
                                           ToTextCase{"fifteen digits", VT_R8, 1.0 / 3, u"0.333333333333333"},
                                           ToTextCase{"large", VT_R8, 1e20, u"1E+20"},
                                           ToTextCase{"small", VT_R8, 0.00001, u"1E-05"},
                                           ToTextCase{"whole double", VT_R8, 42, u"42"},
                                           ToTextCase{"negative zero", VT_R8, -0.0, u"0"},
                                           ToTextCase{"integer", VT_I4, -2147483647, u"-2147483647"},
                                           ToTextCase{"boolean as number", VT_BOOL, -1, u"-1"},
                                           ToTextCase{"Empty", VT_EMPTY, 0, u""}),
    [](const auto& info) { return testing_support::CaseName(info.param.what); });

TEST(Coerce, NumberTextIgnoresTheHostsNumericLocale) {
  // A host may switch C's numeric locale; the texts must not follow it.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE locale on this machine";
  Variant src, dest;
  V_VT(&src.v) = VT_R8;
  V_R8(&src.v) = 2.5;
  EXPECT_EQ(VariantChangeType(&dest.v, &src.v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(Narrow(V_BSTR(&dest.v)), "2.5");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Coerce, NullAndObjectsToText) {
  Variant null, dest;
  V_VT(&null.v) = VT_NULL;
  EXPECT_EQ(VariantChangeType(&dest.v, &null.v, 0, VT_BSTR), DISP_E_TYPEMISMATCH);

  auto* object = new sample::KeyedObject(u"ABC");
  Variant ref;
  V_VT(&ref.v) = VT_DISPATCH;
  V_DISPATCH(&ref.v) = object;  // the VARIANT owns the only reference
  ASSERT_EQ(VariantChangeType(&dest.v, &ref.v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(Narrow(V_BSTR(&dest.v)), "ABC") << "an object gives its default member";
  EXPECT_EQ(object->References(), 1u) << "the coercion keeps no reference";
  EXPECT_EQ(VariantChangeType(&dest.v, &ref.v, VARIANT_NOVALUEPROP, VT_BSTR), DISP_E_TYPEMISMATCH);

  Variant nothing;
  V_VT(&nothing.v) = VT_DISPATCH;
  V_DISPATCH(&nothing.v) = nullptr;
  EXPECT_EQ(VariantChangeType(&dest.v, &nothing.v, 0, VT_BSTR), DISP_E_TYPEMISMATCH);

  BSTR key = nullptr;
  ASSERT_EQ(sample::KeyOfIndex(ref.v, &key), S_OK);
  EXPECT_EQ(Narrow(key), "ABC");
  SysFreeString(key);
}

TEST(Coerce, ObjectDefaultMemberFeedsNumbersToo) {
  Variant ref, dest;
  V_VT(&ref.v) = VT_UNKNOWN;
  V_UNKNOWN(&ref.v) = new sample::KeyedObject(u"7");
  ASSERT_EQ(VariantChangeType(&dest.v, &ref.v, 0, VT_I4), S_OK);
  EXPECT_EQ(V_I4(&dest.v), 7);
}

TEST(Coerce, ByReferenceSources) {
  double number = 2.5;
  VARIANT inner;
  VariantInit(&inner);
  V_VT(&inner) = VT_BSTR;
  V_BSTR(&inner) = SysAllocString(u"2024/04/01");
  Variant byRefNumber, byRefVariant, dest;
  V_VT(&byRefNumber.v) = VT_R8 | VT_BYREF;
  V_R8REF(&byRefNumber.v) = &number;
  ASSERT_EQ(VariantChangeType(&dest.v, &byRefNumber.v, 0, VT_I4), S_OK);
  EXPECT_EQ(V_I4(&dest.v), 2);
  V_VT(&byRefVariant.v) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&byRefVariant.v) = &inner;
  ASSERT_EQ(VariantChangeType(&dest.v, &byRefVariant.v, 0, VT_DATE), S_OK);
  EXPECT_EQ(V_DATE(&dest.v), 45383.0);
  ASSERT_EQ(VariantChangeType(&dest.v, &byRefVariant.v, 0, VT_BSTR), S_OK);
  EXPECT_NE(V_BSTR(&dest.v), V_BSTR(&inner)) << "a copy, not the referenced string";
  VariantClear(&inner);
}

TEST(Coerce, InPlaceAndSmallTargets) {
  Variant v;
  V_VT(&v.v) = VT_BSTR;
  V_BSTR(&v.v) = SysAllocString(u"40000");
  ASSERT_EQ(VariantChangeType(&v.v, &v.v, 0, VT_R8), S_OK) << "source and destination may be one";
  EXPECT_EQ(V_R8(&v.v), 40000.0);
  Variant dest;
  EXPECT_EQ(VariantChangeType(&dest.v, &v.v, 0, VT_I2), DISP_E_OVERFLOW);
  V_R8(&v.v) = 0.4;
  ASSERT_EQ(VariantChangeType(&dest.v, &v.v, 0, VT_BOOL), S_OK);
  EXPECT_EQ(V_BOOL(&dest.v), VARIANT_TRUE) << "any non-zero number is true";
  Variant text;
  ASSERT_EQ(VariantChangeType(&dest.v, Text(text, u"false"), 0, VT_BOOL), S_OK);
  EXPECT_EQ(V_BOOL(&dest.v), VARIANT_FALSE);
  EXPECT_EQ(VariantChangeType(&dest.v, &v.v, 0, VT_VARIANT), DISP_E_BADVARTYPE);
  Variant huge;
  EXPECT_EQ(VariantChangeType(&dest.v, Text(huge, u"-1e400"), 0, VT_R8), DISP_E_OVERFLOW);
}

// --- SAFEARRAY ------------------------------------------------------------------

TEST(SafeArray, VectorBoundsAndElementCopies) {
  const DATE dates[] = {45383, 45384, 45390};
  Variant result;
  ASSERT_EQ(sample::DatesAsArray(dates, 3, &result.v), S_OK);
  ASSERT_EQ(V_VT(&result.v), VT_ARRAY | VT_VARIANT);
  SAFEARRAY* array = V_ARRAY(&result.v);
  LONG lo = -1, hi = -1;
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  EXPECT_EQ(SafeArrayGetElemsize(array), sizeof(VARIANT));
  ASSERT_EQ(SafeArrayGetLBound(array, 1, &lo), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(array, 1, &hi), S_OK);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 2);
  EXPECT_EQ(SafeArrayGetLBound(array, 2, &lo), DISP_E_BADINDEX);
  VARTYPE vt = 0;
  ASSERT_EQ(SafeArrayGetVartype(array, &vt), S_OK);
  EXPECT_EQ(vt, VT_VARIANT);
  for (LONG i = 0; i <= 2; ++i) {
    Variant element;
    ASSERT_EQ(SafeArrayGetElement(array, &i, &element.v), S_OK);
    EXPECT_EQ(V_VT(&element.v), VT_DATE);
    EXPECT_EQ(V_DATE(&element.v), dates[i]);
  }
  LONG outside = 3;
  Variant element;
  EXPECT_EQ(SafeArrayGetElement(array, &outside, &element.v), DISP_E_BADINDEX);
  outside = -1;
  EXPECT_EQ(SafeArrayPutElement(array, &outside, &element.v), DISP_E_BADINDEX);
}

TEST(SafeArray, ElementsOwnTheirObjectsAndStrings) {
  auto* object = new sample::KeyedObject(u"k");
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 1, 2);
  ASSERT_NE(array, nullptr);
  Variant value;
  V_VT(&value.v) = VT_DISPATCH;
  V_DISPATCH(&value.v) = object;  // value holds the creation reference
  LONG one = 1, two = 2;
  ASSERT_EQ(SafeArrayPutElement(array, &one, &value.v), S_OK);
  ASSERT_EQ(SafeArrayPutElement(array, &two, &value.v), S_OK);
  EXPECT_EQ(object->References(), 3u);

  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  EXPECT_EQ(object->References(), 5u) << "a copied array copies its elements";
  ASSERT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_EQ(object->References(), 3u);

  Variant text;
  V_VT(&text.v) = VT_BSTR;
  V_BSTR(&text.v) = SysAllocString(u"replaced");
  ASSERT_EQ(SafeArrayPutElement(array, &two, &text.v), S_OK);
  EXPECT_EQ(object->References(), 2u) << "the replaced element is released";

  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnlock(array), E_UNEXPECTED);
  ASSERT_EQ(SafeArrayDestroy(array), S_OK);
  EXPECT_EQ(object->References(), 1u);
}

TEST(SafeArray, StringsGoInByValueAndComeOutAsCopies) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 1);
  Bstr text(u"abc");
  LONG zero = 0;
  ASSERT_EQ(SafeArrayPutElement(array, &zero, text.b), S_OK);
  BSTR out = nullptr;
  ASSERT_EQ(SafeArrayGetElement(array, &zero, &out), S_OK);
  EXPECT_NE(out, text.b);
  EXPECT_EQ(std::u16string(out, SysStringLen(out)), u"abc");
  SysFreeString(out);
  SafeArrayDestroy(array);
}

TEST(SafeArray, TwoDimensionsCountTheFirstIndexFastest) {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {3, 10}};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
  ASSERT_NE(array, nullptr);
  LONG lo;
  SafeArrayGetLBound(array, 2, &lo);
  EXPECT_EQ(lo, 10);
  LONG at[2] = {1, 11};
  LONG value = 99;
  ASSERT_EQ(SafeArrayPutElement(array, at, &value), S_OK);
  void* cell;
  ASSERT_EQ(SafeArrayPtrOfIndex(array, at, &cell), S_OK);
  EXPECT_EQ(static_cast<LONG*>(cell) - static_cast<LONG*>(array->pvData), 1 + 1 * 2);
  SafeArrayDestroy(array);
  EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 0, bounds), nullptr);
}

}  // namespace
