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

// The status colours. Wherever a value is shown -- a path box, the provider
// name, a person's name cell -- its background says what became of it.
// Light yellow: present and usable; a name was found.
inline constexpr OleColor kLightYellow = Rgb(255, 255, 192);
// Light cyan: no value given; no matching row.
inline constexpr OleColor kLightCyan = Rgb(192, 255, 255);
// Pink: unusable (the file is missing or not a database), or the look-up
// failed.
inline constexpr OleColor kPink = Rgb(255, 192, 192);

// Window geometry is in twips, 1440 per inch: at the 96 dots per inch the
// design was made for, one pixel is 15 twips; a view scales pixels by its
// screen's pixel ratio.
inline constexpr int kTwipsPerPixel = 15;

// The nearest whole pixel of a length in twips at 96 dots per inch.
constexpr int TwipsToPixels(int twips) {
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

struct Label {
  std::u16string Caption;
  OleColor BackColor = kWindowBackgroundColor;
  // What the pointer resting on it shows: the whole of what a caption cut
  // to one line leaves out; "" for none.
  std::u16string ToolTipText;
};

// A text box: the path boxes of the main window and the dialog's box. Its
// text may be selected and copied, unlike a label's caption.
struct TextBox {
  std::u16string Text;
  OleColor BackColor = kWindowBackgroundColor;
};

}  // namespace pellora
