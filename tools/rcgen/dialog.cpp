#include "rcgen/dialog.h"

#include <map>
#include <utility>

#include "rcgen/text.h"

namespace rcgen {
namespace {

constexpr std::uint32_t kPopup = 0x80000000u, kChild = 0x40000000u, kVisible = 0x10000000u;
constexpr std::uint32_t kCaption = 0x00C00000u, kBorder = 0x00800000u, kSysMenu = 0x00080000u;
constexpr std::uint32_t kGroup = 0x00020000u, kTabStop = 0x00010000u;
constexpr std::uint32_t kSetFont = 0x40;  // DS_SETFONT

constexpr int kButton = 0x80, kEdit = 0x81, kStatic = 0x82;

// Style bits: names and numbers joined by | (or +), starting from `bits`;
// "NOT x" removes the bits of x from what comes before, as the resource
// compiler does.
std::uint32_t Style(TokenReader& in, std::uint32_t bits) {
  bool first = true;
  do {
    if (!first) in.Next();
    first = false;
    if (in.IsWord("NOT")) {
      in.Next();
      bits &= ~static_cast<std::uint32_t>(in.Primary());
    } else {
      bits |= static_cast<std::uint32_t>(in.Primary());
    }
  } while (in.IsPunct("|") || in.IsPunct("+"));
  return bits;
}

std::int16_t Short(TokenReader& in) { return static_cast<std::int16_t>(in.Expression()); }

// The class and base style of each control statement.
const std::map<std::string, std::pair<int, std::uint32_t>>& ControlKinds() {
  static const std::map<std::string, std::pair<int, std::uint32_t>> kinds = {
      {"LTEXT", {kStatic, kChild | kVisible | kGroup | 0x0}},
      {"CTEXT", {kStatic, kChild | kVisible | kGroup | 0x1}},
      {"RTEXT", {kStatic, kChild | kVisible | kGroup | 0x2}},
      {"PUSHBUTTON", {kButton, kChild | kVisible | kTabStop | 0x0}},
      {"DEFPUSHBUTTON", {kButton, kChild | kVisible | kTabStop | 0x1}},
      {"GROUPBOX", {kButton, kChild | kVisible | 0x7}},
      {"EDITTEXT", {kEdit, kChild | kVisible | kTabStop | kBorder}},
      {"ICON", {kStatic, kChild | kVisible | 0x3}},
  };
  return kinds;
}

// The classes CONTROL may name by their predefined numbers.
const std::map<std::string, int>& PredefinedClasses() {
  static const std::map<std::string, int> classes = {{"BUTTON", kButton}, {"EDIT", kEdit},     {"STATIC", kStatic},
                                                     {"LISTBOX", 0x83},   {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85}};
  return classes;
}

//   CONTROL text, id, class, style, x, y, cx, cy [, exstyle]
//   EDITTEXT id, x, y, cx, cy [, style [, exstyle]]
//   ICON text, id, x, y [, cx, cy [, style [, exstyle]]]
//   <other> text, id, x, y, cx, cy [, style [, exstyle]]
DialogItem ReadControl(TokenReader& in) {
  const Token& word = in.Next();
  DialogItem item;
  auto comma = [&] { in.Expect(","); };
  auto geometry = [&](bool size) {
    item.x = Short(in);
    comma();
    item.y = Short(in);
    if (size) {
      comma();
      item.cx = Short(in);
      comma();
      item.cy = Short(in);
    }
  };
  auto textOrNumber = [&] {
    if (in.Peek().kind == Token::string)
      item.text = in.Text(word.where);
    else
      item.textOrdinal = static_cast<int>(in.Expression());
  };
  auto optionalStyles = [&] {
    if (in.IsPunct(",")) {
      in.Next();
      item.style = Style(in, item.style);
    }
    if (in.IsPunct(",")) {
      in.Next();
      item.exStyle = Style(in, item.exStyle);
    }
  };
  if (word.text == "CONTROL") {
    textOrNumber();
    comma();
    item.id = static_cast<std::uint32_t>(in.Expression());
    comma();
    const Token& cls = in.Next();
    if (auto p = PredefinedClasses().find(Upper(cls.text)); p != PredefinedClasses().end())
      item.classOrdinal = p->second;
    else
      item.className = Utf16Of(cls.text, cls.where);
    comma();
    item.style = Style(in, kChild | kVisible);
    comma();
    geometry(true);
    if (in.IsPunct(",")) {
      in.Next();
      item.exStyle = Style(in, 0);
    }
    return item;
  }
  auto kind = ControlKinds().find(word.text);
  if (kind == ControlKinds().end()) throw Error(word.where + ": the control " + word.text + " is not supported");
  item.classOrdinal = kind->second.first;
  item.style = kind->second.second;
  if (word.text != "EDITTEXT") {
    textOrNumber();
    comma();
  }
  item.id = static_cast<std::uint32_t>(in.Expression());
  comma();
  if (word.text == "ICON") {
    geometry(false);
    if (in.IsPunct(",")) {
      in.Next();
      item.cx = Short(in);
      comma();
      item.cy = Short(in);
    }
  } else {
    geometry(true);
  }
  optionalStyles();
  return item;
}

// A text ending in a null, or 0xFFFF and a number.
void PutNameOrOrdinal(Bytes& out, const std::u16string& name, int ordinal) {
  if (ordinal >= 0) {
    Put16(out, 0xFFFF);
    Put16(out, static_cast<std::uint16_t>(ordinal));
    return;
  }
  for (char16_t c : name) Put16(out, c);
  Put16(out, 0);
}

}  // namespace

Dialog ReadDialogEx(TokenReader& in) {
  Dialog d;
  d.x = Short(in);
  in.Expect(",");
  d.y = Short(in);
  in.Expect(",");
  d.cx = Short(in);
  in.Expect(",");
  d.cy = Short(in);
  if (in.IsPunct(",")) {
    in.Next();
    d.helpId = static_cast<std::uint32_t>(in.Expression());
  }
  d.style = kPopup | kBorder | kSysMenu;
  bool styleGiven = false, font = false;
  while (!in.Begin()) {
    const Token& word = in.Next();
    if (word.text == "STYLE") {
      d.style = Style(in, 0);
      styleGiven = true;
    } else if (word.text == "EXSTYLE") {
      d.exStyle = Style(in, 0);
    } else if (word.text == "CAPTION") {
      d.caption = in.Text(word.where);
      if (!styleGiven) d.style |= kCaption;
    } else if (word.text == "FONT") {
      font = true;
      d.pointSize = static_cast<std::uint16_t>(in.Expression());
      in.Expect(",");
      d.face = in.Text(word.where);
      if (in.IsPunct(",")) {
        in.Next();
        d.weight = static_cast<std::uint16_t>(in.Expression());
      }
      if (in.IsPunct(",")) {
        in.Next();
        d.italic = static_cast<std::uint8_t>(in.Expression());
      }
      if (in.IsPunct(",")) {
        in.Next();
        d.charset = static_cast<std::uint8_t>(in.Expression());
      }
    } else if (word.text == "LANGUAGE") {
      in.Expression();
      in.Expect(",");
      in.Expression();
    } else {
      throw Error(word.where + ": " + word.text + " is not supported in a DIALOGEX");
    }
  }
  if (font) d.style |= kSetFont;
  while (!in.End()) d.items.push_back(ReadControl(in));
  return d;
}

Bytes EncodeDialog(const Dialog& d, const std::string& where) {
  Bytes out;
  Put16(out, 1);       // dlgVer
  Put16(out, 0xFFFF);  // signature of the extended template
  Put32(out, d.helpId);
  Put32(out, d.exStyle);
  Put32(out, d.style);
  if (d.items.size() > 0xFFFF) throw Error(where + ": too many controls");
  Put16(out, static_cast<std::uint16_t>(d.items.size()));
  for (std::int16_t v : {d.x, d.y, d.cx, d.cy}) Put16(out, static_cast<std::uint16_t>(v));
  Put16(out, 0);  // no menu
  Put16(out, 0);  // the standard dialog class
  PutNameOrOrdinal(out, d.caption, -1);
  // The font is there when the style asks for it, whether FONT set it or
  // STYLE named DS_SETFONT.
  if (d.style & kSetFont) {
    Put16(out, d.pointSize);
    Put16(out, d.weight);
    out.push_back(d.italic);
    out.push_back(d.charset);
    PutNameOrOrdinal(out, d.face, -1);
  }
  for (const DialogItem& item : d.items) {
    Pad4(out);
    Put32(out, 0);  // help id
    Put32(out, item.exStyle);
    Put32(out, item.style);
    for (std::int16_t v : {item.x, item.y, item.cx, item.cy}) Put16(out, static_cast<std::uint16_t>(v));
    Put32(out, item.id);
    PutNameOrOrdinal(out, item.className, item.classOrdinal ? item.classOrdinal : -1);
    PutNameOrOrdinal(out, item.text, item.textOrdinal);
    Put16(out, 0);  // no creation data
  }
  return out;
}

}  // namespace rcgen
