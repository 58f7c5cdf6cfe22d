// dovrel60's result codes and the string-table entries of their texts.
//
// Failures are reported in the automation style, 0x800A0000 + n. The codes
// 0x800A0201 to 0x800A0207 carry error information whose description is
// string n of the library's string table (raised with RaiseError); the other
// three are returned bare and leave the thread's error information alone.
#pragma once

#include "automation/com.h"
#include "resources/resource.h"

namespace dovrel {

constexpr HRESULT ErrorCodeOf(UINT stringNumber) { return static_cast<HRESULT>(0x800A0000u + stringNumber); }

// Without error information.
constexpr HRESULT DVERR_INVALID_ARGUMENT = static_cast<HRESULT>(0x800A0005u);
constexpr HRESULT DVERR_OUT_OF_MEMORY = static_cast<HRESULT>(0x800A0007u);
constexpr HRESULT DVERR_INVALID_PROPERTY_VALUE = static_cast<HRESULT>(0x800A017Cu);

// With error information: the string number and its code.
constexpr HRESULT DVERR_KEY_NOT_UNIQUE = ErrorCodeOf(IDS_E_KEY_NOT_UNIQUE);                // 0x800A0201
constexpr HRESULT DVERR_INDEX_OUT_OF_RANGE = ErrorCodeOf(IDS_E_INDEX_OUT_OF_RANGE);        // 0x800A0202
constexpr HRESULT DVERR_ELEMENT_NOT_FOUND = ErrorCodeOf(IDS_E_ELEMENT_NOT_FOUND);          // 0x800A0203
constexpr HRESULT DVERR_KEY_INVALID = ErrorCodeOf(IDS_E_KEY_INVALID);                      // 0x800A0204
constexpr HRESULT DVERR_KEY_BELONGS_TO_OTHER = ErrorCodeOf(IDS_E_KEY_BELONGS_TO_OTHER);    // 0x800A0205
constexpr HRESULT DVERR_RANGE_OVER_1000_YEARS = ErrorCodeOf(IDS_E_RANGE_OVER_1000_YEARS);  // 0x800A0206
constexpr HRESULT DVERR_NO_COLLECTION = ErrorCodeOf(IDS_E_NO_COLLECTION);                  // 0x800A0207

static_assert(DVERR_KEY_NOT_UNIQUE == static_cast<HRESULT>(0x800A0201u));
static_assert(DVERR_NO_COLLECTION == static_cast<HRESULT>(0x800A0207u));

}  // namespace dovrel
