#pragma once
// Numbers written as text in claim files and grid cells, read and written the
// way the window's routines need them. Nothing here looks at the process
// locale: a decimal point is always "." and no digit grouping is ever
// written, whatever the user's regional settings say.

#include <string>
#include <string_view>

namespace pellora {

// The value of a text's leading number, read as the platform's value-of-text
// operation reads it:
// - blanks (space, tab, line feed) are skipped anywhere: "12 34" is 1234;
// - a number is an optional sign, digits with an optional decimal point, and
//   an optional exponent ("E" or "e", optional sign, digits): "-1.5e2" is
//   -150;
// - reading stops at the first character that cannot continue the number
//   ("12abc" is 12, "1.2.3" is 1.2, "1e" is 1), and a text without a leading
//   number is 0 ("", "abc", "-", ".").
// Only ASCII digits count; a full-width digit ends the number. A number too
// large for a double reads as the largest double of its sign, and one too
// small as 0, so that no text can make a later step fail.
double ValueOfText(std::u16string_view text);

// True when the whole text is one number, as the platform's is-numeric test
// sees it: blanks (space, tab) around it, an optional sign, digits with an
// optional decimal point (at least one digit), an optional exponent with
// digits; nothing else. "1234", " 12 ", "-1.5e2" and ".5" are numbers;
// "", "12a", "1 2", "'12" and "１２" (full-width) are not.
bool IsNumberText(std::u16string_view text);

// The shortest decimal text that reads back as `value`: no exponent, no
// leading zeros, no trailing zeros or decimal point (120 gives "120", 12.5
// gives "12.5", 0 and -0 give "0").
std::u16string DecimalText(double value);

// A number text as at least six digits with leading zeros, as by the number
// format "000000": the value of the text (ValueOfText), rounded to a whole
// number, halves away from zero ("12.5" gives 000013, "12.4" gives 000012);
// a negative value keeps its sign in front of the padded digits ("-12" gives
// -000012), and one that rounds to 0 has none ("-0.4" gives 000000). A value
// of more than six digits shows all of them ("1234567" stays 1234567).
// Claim numbers are whole and unsigned, so a sign or a fraction only ever
// comes from a damaged field.
std::u16string ZeroPad6(std::u16string_view text);

}  // namespace pellora
