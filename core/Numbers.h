#pragma once
// Decimal numbers read from text. Two readings, for two kinds of text:
// the settings files and the window's fields are read the way they always
// were, as the leading decimal of the text; command-line options must be a
// whole number and nothing else.
#include <cstdint>
#include <optional>
#include <string_view>

namespace brindle {

// The decimal integer at the start of `text`: leading white space, an
// optional sign, then the digits up to the first non-digit; 0 when there
// are no digits. Values beyond the 64-bit range saturate.
std::int64_t ParseLeadingDecimal(std::string_view text);

// ParseLeadingDecimal saturated at the int range: what the C library's atoi
// reads, without its overflow.
int ParseLeadingInt(std::string_view text);

// `text` as a whole number of decimal digits (no sign, no blanks) within
// [low, high]; nothing otherwise.
std::optional<std::int64_t> ParseDecimalIn(std::string_view text, std::int64_t low,
                                           std::int64_t high);

}  // namespace brindle
