#pragma once
// UTF-8 as the generators' sources must hold it. common::Utf8ToUtf16 writes
// U+FFFD for what is not UTF-8, as a program reading foreign text should; a
// source file of ours that is not UTF-8 is a mistake to stop the build for.

#include <optional>
#include <string>
#include <string_view>

namespace tool_support {

// The UTF-16 form of `text`, or nothing when `text` is not UTF-8.
std::optional<std::u16string> Utf8ToUtf16Exact(std::string_view text);

}  // namespace tool_support
