#include "about/dialog_template.h"

#include <cstring>

namespace dovrel {
namespace {

class Reader {
 public:
  Reader(const BYTE* data, DWORD size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  WORD Word() {
    WORD v = 0;
    Take(&v, 2);
    return v;
  }
  DWORD Dword() {
    DWORD v = 0;
    Take(&v, 4);
    return v;
  }
  BYTE Byte() {
    BYTE v = 0;
    Take(&v, 1);
    return v;
  }
  SHORT Short() { return static_cast<SHORT>(Word()); }
  OleString String() {
    OleString s;
    while (ok_) {
      WORD c = Word();
      if (!ok_ || c == 0) break;
      s += static_cast<OLECHAR>(c);
    }
    return s;
  }
  NameOrOrdinal NameOrNumber() {
    NameOrOrdinal n;
    if (pos_ + 2 > size_) {
      ok_ = false;
      return n;
    }
    WORD first;
    std::memcpy(&first, data_ + pos_, 2);
    if (first == 0xFFFF) {
      pos_ += 2;
      n.ordinal = Word();
    } else {
      n.text = String();
    }
    return n;
  }
  void AlignDword() { pos_ = (pos_ + 3) & ~DWORD{3}; }
  void Skip(DWORD bytes) {
    if (pos_ + bytes > size_) ok_ = false;
    pos_ += bytes;
  }

 private:
  void Take(void* out, DWORD n) {
    if (!ok_ || pos_ + n > size_) {
      ok_ = false;
      return;
    }
    std::memcpy(out, data_ + pos_, n);
    pos_ += n;
  }

  const BYTE* data_;
  DWORD size_;
  DWORD pos_ = 0;
  bool ok_ = true;
};

constexpr DWORD kSetFont = 0x40;    // DS_SETFONT
constexpr DWORD kShellFont = 0x48;  // DS_SHELLFONT

}  // namespace

std::optional<DialogTemplate> ReadDialogTemplate(const BYTE* data, DWORD size) {
  if (!data) return std::nullopt;
  Reader r(data, size);
  if (r.Word() != 1 || r.Word() != 0xFFFF) return std::nullopt;  // dlgVer 1, extended signature
  DialogTemplate d;
  r.Dword();  // help id
  d.exStyle = r.Dword();
  d.style = r.Dword();
  WORD count = r.Word();
  d.x = r.Short();
  d.y = r.Short();
  d.cx = r.Short();
  d.cy = r.Short();
  r.NameOrNumber();  // menu
  r.NameOrNumber();  // window class
  d.caption = r.String();
  if ((d.style & kSetFont) || (d.style & kShellFont) == kShellFont) {
    d.hasFont = true;
    d.pointSize = r.Word();
    d.weight = r.Word();
    d.italic = r.Byte();
    d.charset = r.Byte();
    d.fontName = r.String();
  }
  for (WORD i = 0; i < count && r.ok(); ++i) {
    r.AlignDword();
    DialogControlTemplate c;
    r.Dword();  // help id
    c.exStyle = r.Dword();
    c.style = r.Dword();
    c.x = r.Short();
    c.y = r.Short();
    c.cx = r.Short();
    c.cy = r.Short();
    c.id = r.Dword();
    c.windowClass = r.NameOrNumber();
    c.text = r.NameOrNumber();
    r.Skip(r.Word());  // creation data
    d.controls.push_back(std::move(c));
  }
  if (!r.ok()) return std::nullopt;
  return d;
}

}  // namespace dovrel
