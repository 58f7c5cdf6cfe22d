#include "rcgen/version_info.h"

#include <cstring>

#include "rcgen/text.h"

namespace rcgen {
namespace {

std::vector<VersionItem> ReadItems(TokenReader& in) {
  std::vector<VersionItem> items;
  while (!in.End()) {
    const Token& word = in.Next();
    VersionItem item;
    const Token& key = in.Next();
    if (key.kind != Token::string) throw Error(key.where + ": expected a quoted key");
    item.key = key.text;
    if (word.text == "BLOCK") {
      item.isBlock = true;
      if (!in.Begin()) throw Error(key.where + ": expected BEGIN");
      item.children = ReadItems(in);
    } else if (word.text == "VALUE") {
      while (in.IsPunct(",")) {
        in.Next();
        const Token& v = in.Peek();
        if (v.kind == Token::string) {
          item.values.push_back(in.Next());
        } else {
          Token number = v;
          number.kind = Token::number;
          number.value = in.Expression();
          item.values.push_back(number);
        }
      }
    } else {
      throw Error(word.where + ": expected BLOCK or VALUE");
    }
    items.push_back(std::move(item));
  }
  return items;
}

// The length leaves out the padding after the node.
Bytes Node(const std::u16string& key, std::uint16_t type, std::uint16_t valueLength, const Bytes& value,
           const std::vector<Bytes>& children) {
  Bytes out;
  Put16(out, 0);
  Put16(out, valueLength);
  Put16(out, type);
  for (char16_t c : key) Put16(out, c);
  Put16(out, 0);
  Pad4(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const auto& child : children) {
    Pad4(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  if (out.size() > 0xFFFF) throw Error("version information too large");
  out[0] = static_cast<unsigned char>(out.size());
  out[1] = static_cast<unsigned char>(out.size() >> 8);
  return out;
}

// Texts are joined and end in one null; a number with an L suffix takes
// four bytes, any other two.
Bytes EncodeItem(const VersionItem& item) {
  std::u16string key = Utf16Of(item.key, "VERSIONINFO");
  if (item.isBlock) {
    std::vector<Bytes> children;
    for (const auto& child : item.children) children.push_back(EncodeItem(child));
    return Node(key, 1, 0, {}, children);
  }
  bool text = !item.values.empty() && item.values[0].kind == Token::string;
  Bytes value;
  if (text) {
    std::u16string joined;
    for (const auto& v : item.values) {
      if (v.kind != Token::string) throw Error(v.where + ": a text value mixes in a number");
      joined += Utf16Of(v.text, v.where);
    }
    while (!joined.empty() && joined.back() == 0) joined.pop_back();
    joined += u'\0';
    for (char16_t c : joined) Put16(value, c);
    return Node(key, 1, static_cast<std::uint16_t>(joined.size()), value, {});
  }
  for (const auto& v : item.values) {
    Put16(value, static_cast<std::uint16_t>(v.value));
    if (v.wide) Put16(value, static_cast<std::uint16_t>(v.value >> 16));
  }
  return Node(key, 0, static_cast<std::uint16_t>(value.size()), value, {});
}

}  // namespace

VersionInfo ReadVersionInfo(TokenReader& in) {
  VersionInfo info;
  auto four = [&](std::uint32_t& ms, std::uint32_t& ls) {
    long long a = in.Expression();
    in.Expect(",");
    long long b = in.Expression();
    in.Expect(",");
    long long c = in.Expression();
    in.Expect(",");
    long long d = in.Expression();
    ms = static_cast<std::uint32_t>(((a & 0xFFFF) << 16) | (b & 0xFFFF));
    ls = static_cast<std::uint32_t>(((c & 0xFFFF) << 16) | (d & 0xFFFF));
  };
  std::uint32_t* fixed = info.fixed;
  while (!in.Begin()) {
    const Token& word = in.Next();
    if (word.text == "FILEVERSION") four(fixed[2], fixed[3]);
    else if (word.text == "PRODUCTVERSION") four(fixed[4], fixed[5]);
    else if (word.text == "FILEFLAGSMASK") fixed[6] = static_cast<std::uint32_t>(in.Expression());
    else if (word.text == "FILEFLAGS") fixed[7] = static_cast<std::uint32_t>(in.Expression());
    else if (word.text == "FILEOS") fixed[8] = static_cast<std::uint32_t>(in.Expression());
    else if (word.text == "FILETYPE") fixed[9] = static_cast<std::uint32_t>(in.Expression());
    else if (word.text == "FILESUBTYPE") fixed[10] = static_cast<std::uint32_t>(in.Expression());
    else throw Error(word.where + ": unknown VERSIONINFO statement " + word.text);
  }
  info.items = ReadItems(in);
  return info;
}

Bytes EncodeVersionInfo(const VersionInfo& info) {
  Bytes value(sizeof info.fixed);
  std::memcpy(value.data(), info.fixed, sizeof info.fixed);
  std::vector<Bytes> children;
  for (const auto& item : info.items) children.push_back(EncodeItem(item));
  return Node(u"VS_VERSION_INFO", 0, sizeof info.fixed, value, children);
}

}  // namespace rcgen
