// BSTRs, code-page conversion and the case folding of the layer.
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "internal.h"

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

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

// One iconv conversion from code page 932 to UTF-16LE. glibc's "CP932" is
// Microsoft's table (0x5C is the backslash, the NEC and IBM extensions are
// there), which is what a Japanese Windows uses as its ANSI code page.
std::optional<std::u16string> Cp932ToUtf16(std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::u16string out(bytes.size() + 1, u'\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* outPtr = reinterpret_cast<char*>(out.data());
  std::size_t outLeft = out.size() * sizeof(char16_t);
  std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft / sizeof(char16_t));
  return out;
}

// UTF-16 to code page 932 one character at a time, so that a character the
// code page lacks becomes the default character instead of ending the text.
std::string Utf16ToCp932(std::u16string_view text, char defaultChar, bool& usedDefault) {
  usedDefault = false;
  std::string out;
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (char16_t c : text) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else {
        out += defaultChar;
        usedDefault = true;
      }
    }
    return out;
  }
  for (std::size_t i = 0; i < text.size();) {
    std::size_t units = (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size()) ? 2 : 1;
    char buffer[8];
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data() + i));
    std::size_t inLeft = units * sizeof(char16_t);
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      out += defaultChar;
      usedDefault = true;
    } else {
      out.append(buffer, outPtr);
    }
    i += units;
  }
  iconv_close(cd);
  return out;
}

bool IsAnsiCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP || codePage == 932;
}

thread_local DWORD lastError = ERROR_SUCCESS;

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    char32_t c = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
    bool valid = extra >= 0 && i + extra < text.size() + (extra == 0 ? 1 : 0);
    for (int k = 1; valid && k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        valid = false;
      } else {
        c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      }
    }
    if (!valid || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    AppendUtf16(out, c);
    i += 1 + extra;
  }
  return out;
}

std::optional<std::u16string> FromCp932(std::string_view bytes) { return Cp932ToUtf16(bytes); }

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
    wide = FromUtf8(input);
  } else if (IsAnsiCodePage(CodePage)) {
    auto converted = Cp932ToUtf16(input);
    if (!converted) {
      if (dwFlags & MB_ERR_INVALID_CHARS) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
      }
      // Convert what can be converted byte by byte: an invalid byte becomes
      // the replacement character, as the platform's default does.
      wide.clear();
      for (std::size_t i = 0; i < input.size();) {
        std::size_t take = (static_cast<unsigned char>(input[i]) >= 0x81 &&
                            static_cast<unsigned char>(input[i]) <= 0xFC &&
                            !(static_cast<unsigned char>(input[i]) >= 0xA0 &&
                              static_cast<unsigned char>(input[i]) <= 0xDF) &&
                            i + 1 < input.size())
                               ? 2
                               : 1;
        auto piece = Cp932ToUtf16(input.substr(i, take));
        wide += piece ? *piece : std::u16string(1, u'\u30FB');
        i += take;
      }
    } else {
      wide = std::move(*converted);
    }
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
    narrow = ToUtf8(input);
  } else if (IsAnsiCodePage(CodePage)) {
    narrow = Utf16ToCp932(input, lpDefaultChar ? *lpDefaultChar : '?', usedDefault);
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
