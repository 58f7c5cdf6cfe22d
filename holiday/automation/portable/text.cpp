// BSTRs, code-page conversion and the case folding of the layer.
#include <cstdlib>
#include <cstring>

#include "automation/portable/internal.h"

namespace automation {
namespace {

// A BSTR is preceded by its length in bytes (a 32-bit count) and followed by
// a 16-bit null that the length does not include; the pointer handed out
// points at the first character.
struct BstrHeader {
  DWORD byteLength;
};
constexpr std::size_t kMaxBstrBytes = 0x7FFFFFF0u;

BSTR AllocateBstr(std::size_t byteLength) {
  if (byteLength > kMaxBstrBytes) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(BstrHeader) + byteLength + sizeof(OLECHAR)));
  if (!block) return nullptr;
  BstrHeader header{static_cast<DWORD>(byteLength)};
  std::memcpy(block, &header, sizeof header);
  std::memset(block + sizeof header + byteLength, 0, sizeof(OLECHAR));
  return reinterpret_cast<BSTR>(block + sizeof header);
}

unsigned char* BlockOf(BSTR text) { return reinterpret_cast<unsigned char*>(text) - sizeof(BstrHeader); }

DWORD ByteLengthOf(BSTR text) {
  BstrHeader header;
  std::memcpy(&header, BlockOf(text), sizeof header);
  return header.byteLength;
}

bool IsAnsiCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP || codePage == 932;
}

thread_local DWORD lastError = ERROR_SUCCESS;

}  // namespace

BSTR MakeBstr(std::u16string_view text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 32;
  if (c < 0x80) return c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
  return c;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}

int CompareIgnoringCase(std::u16string_view a, std::u16string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = FoldCase(a[i]), y = FoldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace automation

using namespace automation;

STDAPI_(BSTR) SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  return SysAllocStringLen(psz, static_cast<UINT>(Length(psz)));
}

STDAPI_(BSTR) SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  BSTR text = AllocateBstr(std::size_t{ui} * sizeof(OLECHAR));
  if (!text) return nullptr;
  if (strIn)
    std::memcpy(text, strIn, std::size_t{ui} * sizeof(OLECHAR));
  else
    std::memset(text, 0, std::size_t{ui} * sizeof(OLECHAR));
  return text;
}

STDAPI_(BSTR) SysAllocStringByteLen(LPCSTR psz, UINT len) {
  BSTR text = AllocateBstr(len);
  if (!text) return nullptr;
  auto* bytes = reinterpret_cast<unsigned char*>(text);
  if (psz)
    std::memcpy(bytes, psz, len);
  else
    std::memset(bytes, 0, len);
  bytes[len] = 0;  // a null byte right after odd lengths, as the platform adds
  return text;
}

STDAPI_(INT) SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
  if (!pbstr) return FALSE;
  // The new text may lie inside the old one: copy before freeing.
  BSTR text = SysAllocStringLen(psz, len);
  if (!text) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = text;
  return TRUE;
}

STDAPI_(INT) SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  if (!pbstr) return FALSE;
  if (!psz) {
    SysFreeString(*pbstr);
    *pbstr = nullptr;
    return TRUE;
  }
  return SysReAllocStringLen(pbstr, psz, static_cast<UINT>(Length(psz)));
}

STDAPI_(void) SysFreeString(BSTR bstrString) {
  if (bstrString) std::free(BlockOf(bstrString));
}

STDAPI_(UINT) SysStringLen(BSTR pbstr) { return pbstr ? ByteLengthOf(pbstr) / sizeof(OLECHAR) : 0; }

STDAPI_(UINT) SysStringByteLen(BSTR bstr) { return bstr ? ByteLengthOf(bstr) : 0; }

STDAPI_(int) lstrlenW(LPCWSTR lpString) { return static_cast<int>(Length(lpString)); }

STDAPI_(DWORD) GetLastError() { return lastError; }

STDAPI_(void) SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }

STDAPI_(int) MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                 LPWSTR lpWideCharStr, int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::size_t length = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
  std::string_view input(lpMultiByteStr, length);
  std::u16string wide;
  if (CodePage == CP_UTF8) {
    wide = common::Utf8ToUtf16(input);
  } else if (IsAnsiCodePage(CodePage)) {
    if ((dwFlags & MB_ERR_INVALID_CHARS) && !common::cp932::IsWellFormed(input)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    // A sequence that is not code page 932 becomes the katakana middle dot,
    // as the platform's default conversion has it.
    wide = common::cp932::Decode(input, u'\u30FB');
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (cchWideChar == 0) return static_cast<int>(wide.size());
  if (wide.size() > static_cast<std::size_t>(cchWideChar)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpWideCharStr, wide.data(), wide.size() * sizeof(char16_t));
  return static_cast<int>(wide.size());
}

STDAPI_(int) WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr,
                                 int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::size_t length = cchWideChar < 0 ? Length(lpWideCharStr) + 1 : static_cast<std::size_t>(cchWideChar);
  std::u16string_view input(lpWideCharStr, length);
  std::string narrow;
  bool usedDefault = false;
  if (CodePage == CP_UTF8) {
    narrow = common::Utf16ToUtf8Lossy(input);
  } else if (IsAnsiCodePage(CodePage)) {
    usedDefault = common::cp932::EncodeAppend(input, narrow, lpDefaultChar ? *lpDefaultChar : '?') != 0;
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
  if (cbMultiByte == 0) return static_cast<int>(narrow.size());
  if (narrow.size() > static_cast<std::size_t>(cbMultiByte)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpMultiByteStr, narrow.data(), narrow.size());
  return static_cast<int>(narrow.size());
}
