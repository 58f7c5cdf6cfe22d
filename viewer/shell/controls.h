#pragma once
// The plain controls of Pellora's windows: what a label shows, as a value the
// window's routines read and write. A view draws them; nothing else is kept
// in the view.

#include <cstdint>
#include <string>

#include "grid/flex_grid.h"

namespace pellora {

// A colour as the platform's colour properties hold it: 0x00BBGGRR for a
// colour of its own, or a system colour (the high bit set, its index below)
// that the view resolves to the user's theme. The grid's cell colours use the
// same form.
using OleColor = GridColor;

constexpr OleColor Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return OleColor{red} | OleColor{green} << 8 | OleColor{blue} << 16;
}

inline constexpr OleColor kSystemColorFlag = 0x80000000u;
// The system's window background: what labels and cells return to when the
// display is cleared.
inline constexpr OleColor kWindowBackgroundColor = kSystemColorFlag | 5u;
// The face of the window itself, behind plain captions.
inline constexpr OleColor kButtonFaceColor = kSystemColorFlag | 15u;

struct Label {
  std::u16string Caption;
  OleColor BackColor = kWindowBackgroundColor;
};

}  // namespace pellora
