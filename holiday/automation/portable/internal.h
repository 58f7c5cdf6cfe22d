// Helpers shared by the layer's own sources; never included by objects or
// hosts.
#pragma once

#include <atomic>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "automation/portable/api.h"
#include "common/civil_date.h"
// File names and the registry file are UTF-8, the ANSI code page is 932:
// the layer converts through common/ (invalid sequences become U+FFFD
// rather than failing, so that a path or key name is never dropped).
#include "common/cp932.h"
#include "common/utf.h"

namespace automation {

// Length of a null-terminated UTF-16 string.
inline std::size_t Length(const OLECHAR* text) {
  std::size_t n = 0;
  if (text)
    while (text[n]) ++n;
  return n;
}

// A BSTR built from a UTF-16 view; embedded nulls are kept.
BSTR MakeBstr(std::u16string_view text);

// Case folding for the names the platform compares without regard to case
// (registry keys and values): ASCII, Latin-1, Greek, Cyrillic and full-width
// Latin letters fold to lower case; everything else compares as it is.
char16_t FoldCase(char16_t c);
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);
int CompareIgnoringCase(std::u16string_view a, std::u16string_view b);

// The first and the last day an automation date can hold, 0100-01-01 and
// 9999-12-31 (the times of that last day lie below kMaxDate + 1).
constexpr double kMinDate = static_cast<double>(common::kFirstAutomationDate);
constexpr double kMaxDate = static_cast<double>(common::kLastAutomationDate);

// Parses the date texts the layer accepts; nullopt when the text is not a
// date. Formats a date the way a Japanese Windows does.
std::optional<double> ParseDateText(std::u16string_view text);
std::optional<std::u16string> FormatDateText(double date);

// The value of a VARIANT with one level of reference removed (the view does
// not own anything).
HRESULT ValueView(const VARIANT* src, VARIANT* view);

// Modules: the module (image base) that holds an address, and the full path
// of a module's file (nullptr: the program).
HMODULE ModuleOfAddress(const void* address);
std::optional<std::string> ModulePath(HMODULE module);

// Reference-counting base for the layer's own COM objects.
class RefCounted {
 public:
  ULONG AddRefImpl() { return ++refs_; }
  // QueryInterface of an object that shows one face: `face` for IUnknown
  // and for each interface in `iids` (the face's own and its bases), with a
  // reference; E_NOINTERFACE and a null pointer otherwise.
  template <class Face>
  HRESULT QueryFace(Face* face, REFIID riid, std::initializer_list<const IID*> iids, void** ppv) {
    if (!ppv) return E_POINTER;
    bool known = riid == IID_IUnknown;
    for (const IID* iid : iids) known = known || riid == *iid;
    if (!known) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = face;
    AddRefImpl();
    return S_OK;
  }
  ULONG ReleaseImpl() {
    ULONG left = --refs_;
    if (left == 0) DeleteSelf();
    return left;
  }

 protected:
  virtual ~RefCounted() = default;
  virtual void DeleteSelf() { delete this; }

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace automation
