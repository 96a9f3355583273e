#pragma once
// The three text conversions every table uses: the tolerant number parse, decimal normalisation
// and the fixed number format. Cells hold numbers as text; these decide how that text reads and
// how numbers are written back. They run millions of times per survey: the parse never
// allocates, and the format fits the small-string buffer.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace olvar::core {

inline constexpr float kUnreadable = -99999.0f;  // tolerant parse: empty or not a number

// The standard text-to-number conversion: an optional sign, digits with at most one decimal
// separator (`decimal_separator`), an optional exponent; nothing else, no surrounding blanks.
// A value beyond the single-precision range is a failure.
std::optional<float> parse_standard(std::string_view text, char decimal_separator);

// The program's parse: trims spaces, tries the standard conversion with the system separator,
// then once more with the first "," turned into "." (or, without a ",", the first "." into ",").
// Empty or unreadable text gives kUnreadable.
float parse_tolerant(std::string_view text, char decimal_separator = '.');
// Same, but an empty text gives 0 (where an empty cell counts as zero).
float parse_tolerant_empty_zero(std::string_view text, char decimal_separator = '.');
// Same, but both an empty and an unreadable text give 0 (food security amounts).
float parse_tolerant_or_zero(std::string_view text, char decimal_separator = '.');
// Same rules as parse_tolerant without the sentinel.
std::optional<float> parse_number(std::string_view text, char decimal_separator = '.');

// With the system separator ",", every "." becomes ","; otherwise every "," becomes the system
// separator.
void normalise_decimal(std::string& text, char decimal_separator);
std::string normalised_decimal(std::string_view text, char decimal_separator);

// Fixed number format (P, D): rounded once, half away from zero, at whichever is coarser of P
// significant digits and D decimals, written in fixed-point notation with D decimals and
// left-padded with spaces until the text is longer than P characters. The rounding works on
// the shortest decimal text that reads back as the same value in the argument's type, so a
// float z-score of -0.56349 gives "-0.563", never a double rounding to "-0.564". A result
// that rounds to zero carries no minus sign.
//   format_fixed(8.5f, 5, 2) == "  8.50";  format_fixed(-1.2345f, 4, 3) == "-1.235"
std::string format_fixed(float value, int precision, int decimals,
                         char decimal_separator = '.');
std::string format_fixed(double value, int precision, int decimals,
                         char decimal_separator = '.');

// The same without the padding spaces (the corrections write weights and heights so).
std::string format_fixed_trimmed(double value, int precision, int decimals,
                                 char decimal_separator = '.');

// Removes leading and trailing spaces.
std::string_view trim_spaces(std::string_view text);

}  // namespace olvar::core
